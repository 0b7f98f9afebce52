// Drawing one bitmap onto another, filling, framing and lines.
//
// Every operation clips to both bitmaps: positions may be negative, rectangles may lie partly
// or wholly outside either bitmap and sizes may be zero or negative; only pixels inside both
// bitmaps are ever read or written. Colours are premultiplied ARGB (gfx/Color.h).
#pragma once

#include "gfx/Bitmap32.h"

namespace gfx {

// Copies Src's rectangle SrcRect to Dest with its top-left corner at (X, Y), replacing the pixels.
void CopyRect(TBitmap32& dest, int x, int y, const TBitmap32& src, const TRect& srcRect);

// Draws Src's rectangle SrcRect over Dest at (X, Y): source-over blending with Src's master alpha.
void BlendRect(TBitmap32& dest, int x, int y, const TBitmap32& src, const TRect& srcRect);

// Resamples Src's rectangle SrcRect into Dest's rectangle DestRect with a fast filter (box
// averaging when shrinking, bilinear when enlarging, each axis on its own), copied or blended.
// Where DestRect is clipped by Dest, the visible part shows the matching part of the scaled
// source; a SrcRect reaching outside Src is cut to Src and DestRect is cut in proportion.
void StretchRect(TBitmap32& dest, const TRect& destRect, const TBitmap32& src, const TRect& srcRect,
                 TDrawMode mode);

// Resamples the whole of Src into a new bitmap of Width x Height (empty when either is < 1).
TBitmap32 Resampled(const TBitmap32& src, int width, int height);

// Sets every pixel of Rect to Color.
void FillRect(TBitmap32& dest, const TRect& rect, TColor32 color);
// Blends Color over every pixel of Rect.
void FillRectBlend(TBitmap32& dest, const TRect& rect, TColor32 color);
// Blends a one-pixel frame along the inside of Rect.
void FrameRect(TBitmap32& dest, const TRect& rect, TColor32 color);
// Blends a one-pixel line from (X1, Y1) to (X2, Y2), both ends included.
void Line(TBitmap32& dest, int x1, int y1, int x2, int y2, TColor32 color);

// Source-over of one premultiplied pixel onto another, and its row form with a master alpha.
TColor32 BlendPixel(TColor32 src, TColor32 dst);
void BlendRow(TColor32* dst, const TColor32* src, int count, uint8_t masterAlpha);

}  // namespace gfx
