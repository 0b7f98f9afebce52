// The skin buffer: a control's cache of named theme pictures, fonts and wrapped texts.
//
// Pictures are drawn into any rectangle by their draw mode (nine-slice, three-slice across or
// down, stretch, proportional stretch or natural size), enlarged by their draw offsets. The
// scaled rendition is cached per picture and rebuilt only when the requested size changes.
//
// Threads: the buffer is published and drawn on the interface thread. Workers never write into
// it: a theme task decodes its pictures privately (ReadSkinImage) and fills private fonts, and
// the interface thread publishes them with PutImage and PutFont (through the control's theme
// result). Every publishing call checks the interface thread in debug builds. The entry lists
// keep their lock and each picture entry its own, so that a reader on another thread (a drag
// image or preview composed on a worker) still sees whole entries; entries are never removed
// while the buffer lives, so a found entry stays valid. While an entry is loading or building,
// a draw draws nothing.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/NV_ParamString.h"
#include "gfx/Bitmap32.h"
#include "gfx/Font.h"

namespace tasks {
class TSmartTask;
}

namespace ctrl {

class TSkinData {
 public:
  TSkinData();
  virtual ~TSkinData() = default;
  std::string SD_ID;                   // five random digits until set
  tasks::TSmartTask* sdTask = nullptr;  // not used by the buffer
};

// The set of tpFullDraw and tpVCenter.
struct TTextParams {
  bool FullDraw = false;  // every line is drawn, also below the rectangle
  bool VCenter = false;   // the lines are centred vertically
};

enum class TAniEffect { aeTransition };

class TImageData : public TSkinData {
 public:
  TImageData();

  std::string IMD_PATH;
  gfx::TBitmap32 IMD_Source{5, 5};
  gfx::TBitmap32 IMD_Dest{5, 5};
  int IMD_SKIN_W = 0, IMD_SKIN_H = 0;  // size of the cached rendition; 0 means none
  int IMD_OFFSET_L = 0, IMD_OFFSET_T = 0, IMD_OFFSET_R = 0, IMD_OFFSET_B = 0;
  std::atomic<bool> IMD_INPROGRESS{false};
  std::atomic<bool> IMD_LOADING{true};
  config::TResizeParams IMD_PARAMS;

  // The rendition for W x H (built when the size differs from the last request).
  const gfx::TBitmap32& Resize(int width, int height);
  void DrawTo(gfx::TBitmap32& image, int x, int y, int width, int height, bool blend);
  void DrawTo(gfx::TBitmap32& image, int x, int y, bool blend);  // the source at natural size
  void DrawTo(gfx::TBitmap32& image, const gfx::TRect& rect, bool blend, bool center);
  void Animate(TAniEffect) {}
  // Forgets the cached rendition size so that the next draw rebuilds it.
  void ResetSize();

  // Replaces the picture and its parameters: the first call marks the entry as loading, the
  // second swaps the decoded picture in (an empty one on failure) and ends the loading.
  void BeginLoad(const std::string& path, const config::TResizeParams& params);
  void FinishLoad(gfx::TBitmap32&& picture);
  // A copy of another entry: path, sizes, offsets, parameters, picture and rendition.
  void CopyFrom(TImageData& other);

  std::unique_lock<std::mutex> Locked() { return std::unique_lock<std::mutex>(FLock); }

 private:
  const gfx::TBitmap32& ResizeLocked(int width, int height);
  void Build(int width, int height);
  void BuildFull(int width, int height);
  void BuildHorizontal(int width, int height);
  void BuildVertical(int width, int height);
  void BuildStretchProp(int width, int height);

  std::mutex FLock;
  int FRequestW = 0, FRequestH = 0;  // the request the rendition was built for
};

class TFontData : public TSkinData {
 public:
  gfx::TFont32 FD_FONT;
};

class TTextData {
 public:
  std::string tdID;
  std::vector<std::string> tdText;     // the texts given
  std::vector<std::string> tdTextSrc;  // copy of the texts for change detection
  std::string tdFont;                  // not used by the drawing
  gfx::TRect tdRect;                   // the rectangle the text was arranged for
  std::vector<std::string> tdLines;    // the wrapped lines
  int tdLineHeight = 0;
  bool tdArranging = false;

  // Cuts every text into lines by characters: a line takes characters until its width in the
  // canvas's font reaches the rectangle's width (that character stays), so every line holds
  // at least one character.
  void ArrangeText(const gfx::TBitmap32& destCanvas);
  void DrawText(gfx::TBitmap32& destCanvas, const gfx::TRect& textRect, TTextParams drawParams) const;
  int VisibleLines(const gfx::TRect& textRect) const;
};

// A theme picture read from its file, ready to be published into a buffer. Decoded is false
// for a file that is not a PNG: its entry then stays loading and never draws. A PNG that fails
// to decode gives an empty picture, which draws nothing.
struct TLoadedImage {
  std::string Path;  // the resolved file
  config::TResizeParams Params;
  bool Decoded = false;
  gfx::TBitmap32 Picture;
};

// Reads the picture file Path (a macro path) on any thread; none when the file does not exist.
std::optional<TLoadedImage> ReadSkinImage(std::string_view path, const config::TResizeParams& params);

class TSkinBuffer {
 public:
  TSkinBuffer();
  ~TSkinBuffer();
  TSkinBuffer(const TSkinBuffer&) = delete;
  TSkinBuffer& operator=(const TSkinBuffer&) = delete;

  std::string SB_ID;                    // "SkinBuffer" + five random digits
  config::TResizeParams SB_PARAMS;      // scratch record for loading

  // Loads the PNG file Path (a macro path) into entry ID, made when missing. Returns the
  // entry's index, or -1 when the file does not exist (then nothing changes). A file that is
  // not a PNG leaves the entry loading, so it never draws. Decodes on the calling thread.
  int LoadImage(std::string_view id, std::string_view path);
  int LoadImage(std::string_view id, std::string_view path, const config::TResizeParams& params);
  int LoadImage(std::string_view id, const gfx::TBitmap32& image, const config::TResizeParams& params);
  // Publishes a picture read by ReadSkinImage into entry ID, made when missing; its index.
  int PutImage(std::string_view id, TLoadedImage&& image);

  TImageData* GetImageData(std::string_view id);
  TImageData* GetImageData(int idx);
  bool GetImageData(std::string_view id, TImageData*& data) { return (data = GetImageData(id)) != nullptr; }

  void DrawImage(std::string_view id, gfx::TBitmap32& canvas, int x, int y, int w, int h, bool blend);
  void DrawImage(int idx, gfx::TBitmap32& canvas, int x, int y, int w, int h, bool blend);
  void DrawImage(std::string_view id, gfx::TBitmap32& canvas, int x, int y, bool blend);
  void DrawImage(int idx, gfx::TBitmap32& canvas, int x, int y, bool blend);
  void DrawImage(std::string_view id, gfx::TBitmap32& canvas, const gfx::TRect& rect, bool blend);
  void DrawImage(std::string_view id, gfx::TBitmap32& canvas, const gfx::TRect& rect, bool blend, bool center);

  void ResetImageSize();
  void ResetImageSize(int idx);
  void ExchangeImage(std::string_view id1, std::string_view id2);
  void CopyImageData(TSkinBuffer& source, std::string_view dataID);
  void CopyFontData(TSkinBuffer& source, std::string_view dataID);
  void AnimateImage(std::string_view, TAniEffect) {}
  int ImageCount();

  // Always appends a new font entry ID and returns its font, complete before it is published;
  // with several entries of one identifier the first one wins every lookup. A published font
  // is never written again.
  const gfx::TFont32& LoadFont(std::string_view id);
  const gfx::TFont32& LoadFont(std::string_view id, std::string_view paramString);
  const gfx::TFont32& LoadFont(std::string_view id, std::string_view paramsPath, std::string_view fontSection,
                               std::string_view fontID, std::string_view def);
  // Appends font entry ID holding a copy of Font.
  const gfx::TFont32& PutFont(std::string_view id, const gfx::TFont32& font);
  // The font of the first entry ID (or index); a default font when there is none.
  const gfx::TFont32& Font(std::string_view id);
  const gfx::TFont32& Font(int idx);
  bool Font(std::string_view id, gfx::TFont32& font);
  TFontData* GetFontData(std::string_view id);
  TFontData* GetFontData(int idx);
  int FontCount();
  // Copies font ID into the bitmap's text font; false when there is no such font.
  bool AssignFont(std::string_view id, gfx::TBitmap32& bitmap);

  // Wrapped text output cached under DataID: arranged again only when the rectangle's size or
  // the texts change, then drawn in the canvas's font.
  void TextOut(std::string_view dataID, const std::vector<std::string>& texts, TTextParams drawParams,
               const gfx::TRect& rect, gfx::TBitmap32& canvas);
  TTextData* FindText(std::string_view dataID);

 private:
  TImageData* FindImageLocked(std::string_view id);
  TImageData* EntryFor(std::string_view id);  // found or appended
  int IndexOfImage(const TImageData* entry);
  TFontData* AppendFont(std::unique_ptr<TFontData> font);

  std::mutex FLock;  // guards the three lists, not their entries
  std::vector<std::unique_ptr<TImageData>> SB_IMAGE_LIST;
  std::vector<std::unique_ptr<TFontData>> SB_FONT_LIST;
  std::vector<std::unique_ptr<TTextData>> sbTextList;
};

}  // namespace ctrl
