// Text: measuring and drawing one line of antialiased text, and stepping through UTF-8.
//
// Strings are UTF-8 byte strings that need not be valid (file names are raw bytes): every
// malformed sequence is shown as one replacement character U+FFFD, and a NUL byte likewise.
// Text is always one line; a line feed is shown as a symbol, never breaks the line. Nothing in
// the text is interpreted: "&" is not a prefix and "<b>" is three characters.
//
// Sizes are in points at 96 dots per inch, so a font of size 11 is about 14.7 pixels high; sizes
// are held to 1..1000 points. Metrics are the logical extents of the line in whole pixels: an empty
// string has width 0 and the line height of the font. The line height and baseline are always the
// font's own: a glyph taken from a fallback face (U+FFFD, symbols) neither makes the line taller
// nor moves its baseline, so names in a list line up.
//
// Threads: every function may be called from several threads at once, each drawing on its own
// bitmap; each thread keeps its own fonts and layout.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "gfx/Bitmap32.h"
#include "gfx/Font.h"

namespace gfx {

struct TTextExtent {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TTextExtent&, const TTextExtent&) = default;
};

enum class TTextAlign { taLeft, taCenter, taRight };

// How TextRect places its line in the rectangle.
struct TTextFormat {
  TTextAlign Align = TTextAlign::taLeft;
  bool VCenter = false;      // centred vertically, otherwise at the top
  bool EndEllipsis = false;  // a line too wide is cut and ends in "…" (see EllipsizedText)
};

TTextExtent TextExtent(const TFont32& font, std::string_view text);
int TextWidth(const TFont32& font, std::string_view text);
int TextHeight(const TFont32& font, std::string_view text);

// Draws Text with the top-left corner of its logical box at (X, Y), in the bitmap's font and its
// colour, or in a premultiplied Color. Clipped to the bitmap.
void TextOut(TBitmap32& bmp, int x, int y, std::string_view text);
void TextOut(TBitmap32& bmp, int x, int y, std::string_view text, TColor32 color);

// Draws Text on one line inside Rect in the bitmap's font, aligned by Format; nothing is drawn
// outside Rect. Without a colour the font's colour is used.
void TextRect(TBitmap32& bmp, const TRect& rect, std::string_view text, const TTextFormat& format);
void TextRect(TBitmap32& bmp, const TRect& rect, std::string_view text, const TTextFormat& format,
              TColor32 color);

// The line TextRect shows with an end ellipsis in a rectangle MaxWidth wide: the (sanitised)
// text itself when it fits, otherwise its longest start that fits with "…" after it, trailing
// spaces dropped. Empty when not even "…" fits. The result is never wider than MaxWidth.
std::string EllipsizedText(const TFont32& font, std::string_view text, int maxWidth);

// The family name of the face Font's name resolves to on this system (a missing face is
// replaced by a similar one), e.g. "Carlito" for "Calibri" where only Carlito is installed.
std::string ResolvedFaceName(const TFont32& font);

// UTF-8 stepping. A code point is a well-formed sequence or one malformed piece (the longest
// start of a sequence that cannot be completed, or a stray byte), exactly as the text is drawn.
// Positions are byte offsets; positions at or past the end give the end, and PrevCodePoint of 0
// is 0.
size_t NextCodePoint(std::string_view s, size_t pos);
size_t PrevCodePoint(std::string_view s, size_t pos);
size_t CodePointCount(std::string_view s);
// The first N code points of S (all of S when it has fewer).
std::string_view CodePointPrefix(std::string_view s, size_t n);
// S as valid UTF-8 with every malformed piece and every NUL replaced by U+FFFD; the code point
// count does not change.
std::string SanitizeUtf8(std::string_view s);

}  // namespace gfx
