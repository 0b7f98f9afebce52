#include "ctrl/NV_SkinBuffer.h"

#include <algorithm>

#include "config/NV_Entries.h"
#include "config/NV_Format.h"
#include "config/NV_PathMacros.h"
#include "config/NV_System.h"
#include "gfx/Draw.h"
#include "gfx/PngCodec.h"
#include "gfx/Picture.h"
#include "gfx/Text.h"
#include "platform/ThreadCheck.h"

namespace ctrl {

using gfx::Bounds;
using gfx::TBitmap32;
using gfx::TRect;

TSkinData::TSkinData() : SD_ID(config::RandomDigits()) {}

TImageData::TImageData() = default;

// ---- Renditions ----------------------------------------------------------------------------

namespace {

// Copies a block unscaled; blocks with an empty or negative side are skipped.
void CopyBlock(TBitmap32& dest, int dx, int dy, const TBitmap32& src, int sx, int sy, int w, int h) {
  if (w <= 0 || h <= 0) return;
  gfx::CopyRect(dest, dx, dy, src, Bounds(sx, sy, w, h));
}

void StretchBlock(TBitmap32& dest, int dx, int dy, int dw, int dh, const TBitmap32& src, int sx, int sy, int sw,
                  int sh) {
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  gfx::StretchRect(dest, Bounds(dx, dy, dw, dh), src, Bounds(sx, sy, sw, sh), gfx::TDrawMode::dmOpaque);
}

}  // namespace

void TImageData::BuildFull(int w, int h) {
  const TBitmap32& s = IMD_Source;
  const int sw = s.Width(), sh = s.Height();
  const int l = IMD_PARAMS.MarginLeft, t = IMD_PARAMS.MarginTop;
  const int r = IMD_PARAMS.MarginRight, b = IMD_PARAMS.MarginBottom;
  CopyBlock(IMD_Dest, 0, 0, s, 0, 0, l, t);
  CopyBlock(IMD_Dest, w - r, 0, s, sw - r, 0, r, t);
  CopyBlock(IMD_Dest, 0, h - b, s, 0, sh - b, l, b);
  CopyBlock(IMD_Dest, w - r, h - b, s, sw - r, sh - b, r, b);
  StretchBlock(IMD_Dest, l, 0, w - l - r, t, s, l, 0, sw - l - r, t);
  StretchBlock(IMD_Dest, l, h - b, w - l - r, b, s, l, sh - b, sw - l - r, b);
  StretchBlock(IMD_Dest, 0, t, l, h - t - b, s, 0, t, l, sh - t - b);
  StretchBlock(IMD_Dest, w - r, t, r, h - t - b, s, sw - r, t, r, sh - t - b);
  StretchBlock(IMD_Dest, l, t, w - l - r, h - t - b, s, l, t, sw - l - r, sh - t - b);
}

void TImageData::BuildHorizontal(int w, int) {
  const TBitmap32& s = IMD_Source;
  const int sw = s.Width(), sh = s.Height();
  const int l = IMD_PARAMS.MarginLeft, r = IMD_PARAMS.MarginRight;
  CopyBlock(IMD_Dest, 0, 0, s, 0, 0, l, sh);
  CopyBlock(IMD_Dest, w - r, 0, s, sw - r, 0, r, sh);
  StretchBlock(IMD_Dest, l, 0, w - l - r, sh, s, l, 0, sw - l - r, sh);
}

void TImageData::BuildVertical(int, int h) {
  const TBitmap32& s = IMD_Source;
  const int sw = s.Width(), sh = s.Height();
  const int t = IMD_PARAMS.MarginTop, b = IMD_PARAMS.MarginBottom;
  CopyBlock(IMD_Dest, 0, 0, s, 0, 0, sw, t);
  CopyBlock(IMD_Dest, 0, h - b, s, 0, sh - b, sw, b);
  StretchBlock(IMD_Dest, 0, t, sw, h - t - b, s, 0, t, sw, sh - t - b);
}

void TImageData::BuildStretchProp(int w, int h) {
  const int sw = IMD_Source.Width(), sh = IMD_Source.Height();
  if (sw == w && sh == h) {
    IMD_Dest = IMD_Source;
    return;
  }
  // The longer source side decides; the other side may come out larger than asked.
  int rw = w, rh = h;
  if (sh < sw)
    rh = int(int64_t{sh} * w / sw);
  else
    rw = int(int64_t{h} * sw / sh);
  if (rw <= 1) rw = 20;
  if (rh <= 1) rh = 20;
  IMD_Dest = gfx::Resampled(IMD_Source, rw, rh);
}

void TImageData::Build(int w, int h) {
  const config::TResizeMode mode = IMD_PARAMS.ResizeType;
  if (IMD_Source.Empty()) {
    IMD_Dest.SetSize(0, 0);
    return;
  }
  if (mode == config::TResizeMode::rmNone) {
    IMD_Dest = IMD_Source;
    return;
  }
  if (mode == config::TResizeMode::rmStretchProp) return BuildStretchProp(w, h);
  if (mode == config::TResizeMode::rmStretch) {
    IMD_Dest = gfx::Resampled(IMD_Source, w, h);
    return;
  }
  // The sliced modes start from a transparent picture.
  if (!IMD_Dest.SetSize(w, h)) return;
  IMD_Dest.Clear();
  if (mode == config::TResizeMode::rmFull) BuildFull(w, h);
  if (mode == config::TResizeMode::rmHorizontal) BuildHorizontal(w, h);
  if (mode == config::TResizeMode::rmVertical) BuildVertical(w, h);
}

const TBitmap32& TImageData::ResizeLocked(int width, int height) {
  if (width <= 0 || height <= 0 || IMD_LOADING || IMD_INPROGRESS) return IMD_Dest;
  if (width == FRequestW && height == FRequestH && IMD_SKIN_W != 0) return IMD_Dest;
  IMD_INPROGRESS = true;
  int w = width, h = height;
  if (IMD_PARAMS.ResizeType == config::TResizeMode::rmFull) {
    w = std::max(w, IMD_PARAMS.MarginLeft + IMD_PARAMS.MarginRight + 1);
    h = std::max(h, IMD_PARAMS.MarginTop + IMD_PARAMS.MarginBottom + 1);
  }
  if (IMD_PARAMS.ResizeType == config::TResizeMode::rmHorizontal) IMD_PARAMS.MarginTop = IMD_Source.Height();
  if (IMD_PARAMS.ResizeType == config::TResizeMode::rmVertical) IMD_PARAMS.MarginLeft = IMD_Source.Width();
  Build(w, h);
  IMD_SKIN_W = w;
  IMD_SKIN_H = h;
  FRequestW = width;
  FRequestH = height;
  IMD_INPROGRESS = false;
  return IMD_Dest;
}

const TBitmap32& TImageData::Resize(int width, int height) {
  std::lock_guard<std::mutex> guard(FLock);
  return ResizeLocked(width, height);
}

void TImageData::ResetSize() {
  std::lock_guard<std::mutex> guard(FLock);
  IMD_SKIN_W = IMD_SKIN_H = 0;
  FRequestW = FRequestH = 0;
}

namespace {
void Put(TBitmap32& target, int x, int y, const TBitmap32& picture, bool blend) {
  if (blend)
    gfx::BlendRect(target, x, y, picture, picture.BoundsRect());
  else
    gfx::CopyRect(target, x, y, picture, picture.BoundsRect());
}
}  // namespace

// A draw into an empty or negative size draws nothing and keeps the rendition it has.
void TImageData::DrawTo(TBitmap32& image, int x, int y, int width, int height, bool blend) {
  if (width <= 0 || height <= 0 || IMD_LOADING || IMD_INPROGRESS) return;
  std::lock_guard<std::mutex> guard(FLock);
  if (IMD_LOADING) return;
  const TBitmap32& rendition =
      ResizeLocked(width + IMD_OFFSET_L + IMD_OFFSET_R, height + IMD_OFFSET_T + IMD_OFFSET_B);
  Put(image, x - IMD_OFFSET_L, y - IMD_OFFSET_T, rendition, blend);
}

void TImageData::DrawTo(TBitmap32& image, int x, int y, bool blend) {
  if (IMD_LOADING || IMD_INPROGRESS) return;
  std::lock_guard<std::mutex> guard(FLock);
  if (IMD_LOADING) return;
  Put(image, x - IMD_OFFSET_L, y - IMD_OFFSET_T, IMD_Source, blend);
}

void TImageData::DrawTo(TBitmap32& image, const TRect& rect, bool blend, bool center) {
  if (!center) return DrawTo(image, rect.Left, rect.Top, rect.Width(), rect.Height(), blend);
  if (rect.Width() <= 0 || rect.Height() <= 0 || IMD_LOADING || IMD_INPROGRESS) return;
  std::lock_guard<std::mutex> guard(FLock);
  if (IMD_LOADING) return;
  const TBitmap32& rendition =
      ResizeLocked(rect.Width() + IMD_OFFSET_L + IMD_OFFSET_R, rect.Height() + IMD_OFFSET_T + IMD_OFFSET_B);
  // Integer division truncating toward zero, also for a rendition larger than the rectangle.
  Put(image, rect.Left + (rect.Width() - rendition.Width()) / 2, rect.Top + (rect.Height() - rendition.Height()) / 2,
      rendition, blend);
}

void TImageData::BeginLoad(const std::string& path, const config::TResizeParams& params) {
  std::lock_guard<std::mutex> guard(FLock);
  IMD_LOADING = true;
  IMD_PATH = path;
  IMD_PARAMS = params;
  IMD_OFFSET_L = params.OffsetLeft;
  IMD_OFFSET_T = params.OffsetTop;
  IMD_OFFSET_R = params.OffsetRight;
  IMD_OFFSET_B = params.OffsetBottom;
}

void TImageData::FinishLoad(TBitmap32&& picture) {
  std::lock_guard<std::mutex> guard(FLock);
  {
    auto sourceLock = IMD_Source.Locked();
    IMD_Source.SwapPixels(picture);
  }
  IMD_LOADING = false;
}

void TImageData::CopyFrom(TImageData& other) {
  if (&other == this) return;
  std::scoped_lock both(FLock, other.FLock);
  IMD_PATH = other.IMD_PATH;
  IMD_Source = other.IMD_Source;
  IMD_Dest = other.IMD_Dest;
  IMD_SKIN_W = other.IMD_SKIN_W;
  IMD_SKIN_H = other.IMD_SKIN_H;
  FRequestW = other.FRequestW;
  FRequestH = other.FRequestH;
  IMD_OFFSET_L = other.IMD_OFFSET_L;
  IMD_OFFSET_T = other.IMD_OFFSET_T;
  IMD_OFFSET_R = other.IMD_OFFSET_R;
  IMD_OFFSET_B = other.IMD_OFFSET_B;
  IMD_PARAMS = other.IMD_PARAMS;
  IMD_LOADING = other.IMD_LOADING.load();
}

// ---- Wrapped text --------------------------------------------------------------------------

namespace {

// The end of the next line of Text from Start: the shortest run of characters whose width
// reaches MaxWidth, at least one character, or the rest of the text.
size_t LineEnd(const gfx::TFont32& font, std::string_view text, size_t start, int maxWidth) {
  const std::string_view rest = text.substr(start);
  if (gfx::TextWidth(font, rest) < maxWidth) return text.size();
  // Widths grow with every character, so the first prefix that reaches the width is found by
  // halving over the character count.
  size_t lo = 1, hi = gfx::CodePointCount(rest);
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (gfx::TextWidth(font, gfx::CodePointPrefix(rest, mid)) >= maxWidth)
      hi = mid;
    else
      lo = mid + 1;
  }
  return start + gfx::CodePointPrefix(rest, lo).size();
}

}  // namespace

void TTextData::ArrangeText(const TBitmap32& destCanvas) {
  tdArranging = true;
  tdLines.clear();
  const gfx::TFont32& font = destCanvas.Font();
  const int width = tdRect.Width();
  for (const std::string& text : tdText) {
    for (size_t start = 0; start < text.size();) {
      const size_t end = LineEnd(font, text, start, width);
      tdLines.push_back(text.substr(start, end - start));
      start = end;
    }
  }
  tdLineHeight = tdLines.empty() ? 0 : gfx::TextHeight(font, tdLines.front());
  tdArranging = false;
}

void TTextData::DrawText(TBitmap32& destCanvas, const TRect& textRect, TTextParams drawParams) const {
  const int height = textRect.Height();
  int top = textRect.Top;
  if (drawParams.VCenter && tdLineHeight > 0) {
    const int n = std::min(height / tdLineHeight, int(tdLines.size()));
    top += (height - n * tdLineHeight) / 2;
  }
  if (drawParams.FullDraw) top = std::max(top, textRect.Top);
  for (size_t i = 0; i < tdLines.size(); ++i) {
    if (!drawParams.FullDraw && int64_t(i + 1) * tdLineHeight >= height) break;
    gfx::TextOut(destCanvas, textRect.Left, top + int(i) * tdLineHeight, tdLines[i]);
  }
}

int TTextData::VisibleLines(const TRect& textRect) const {
  if (tdLineHeight == 0) return int(tdLines.size()) - 1;
  return textRect.Height() / tdLineHeight - 1;
}

// ---- The buffer ----------------------------------------------------------------------------

namespace {

bool HasPngExtension(std::string_view path) {
  if (path.size() < 4) return false;
  std::string ext(path.substr(path.size() - 4));
  for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == ".png";
}

}  // namespace

std::optional<TLoadedImage> ReadSkinImage(std::string_view path, const config::TResizeParams& params) {
  std::string file = config::ExistingPathIgnoringCase(config::ResolvePath(path));
  if (file.empty()) return std::nullopt;
  TLoadedImage image;
  image.Params = params;
  image.Decoded = HasPngExtension(file);
  if (image.Decoded) {
    gfx::TDecodeLimits limits;
    std::vector<uint8_t> bytes;
    if (gfx::ReadWholeFile(file, bytes, limits.MaxFileBytes))
      (void)gfx::DecodePng(bytes.data(), bytes.size(), image.Picture, limits);  // empty on failure
  }
  image.Path = std::move(file);
  return image;
}

TSkinBuffer::TSkinBuffer() : SB_ID("SkinBuffer" + config::RandomDigits()) {}
TSkinBuffer::~TSkinBuffer() = default;

TImageData* TSkinBuffer::FindImageLocked(std::string_view id) {
  for (auto& entry : SB_IMAGE_LIST)
    if (entry->SD_ID == id) return entry.get();
  return nullptr;
}

int TSkinBuffer::IndexOfImage(const TImageData* entry) {
  std::lock_guard<std::mutex> guard(FLock);
  for (size_t i = 0; i < SB_IMAGE_LIST.size(); ++i)
    if (SB_IMAGE_LIST[i].get() == entry) return int(i);
  return -1;
}

TImageData* TSkinBuffer::EntryFor(std::string_view id) {
  std::lock_guard<std::mutex> guard(FLock);
  if (TImageData* found = FindImageLocked(id)) return found;
  auto entry = std::make_unique<TImageData>();
  entry->SD_ID = std::string(id);
  SB_IMAGE_LIST.push_back(std::move(entry));
  return SB_IMAGE_LIST.back().get();
}

int TSkinBuffer::LoadImage(std::string_view id, std::string_view path) {
  return LoadImage(id, path, config::TResizeParams{});
}

int TSkinBuffer::LoadImage(std::string_view id, std::string_view path, const config::TResizeParams& params) {
  NV_ASSERT_UI_THREAD();
  std::optional<TLoadedImage> image = ReadSkinImage(path, params);
  return image ? PutImage(id, std::move(*image)) : -1;
}

int TSkinBuffer::PutImage(std::string_view id, TLoadedImage&& image) {
  NV_ASSERT_UI_THREAD();
  TImageData* entry = EntryFor(id);
  entry->BeginLoad(image.Path, image.Params);
  if (image.Decoded) entry->FinishLoad(std::move(image.Picture));
  return IndexOfImage(entry);
}

int TSkinBuffer::LoadImage(std::string_view id, const TBitmap32& image, const config::TResizeParams& params) {
  NV_ASSERT_UI_THREAD();
  TImageData* entry = EntryFor(id);
  entry->BeginLoad("", params);
  entry->FinishLoad(TBitmap32(image));
  return IndexOfImage(entry);
}

TImageData* TSkinBuffer::GetImageData(std::string_view id) {
  std::lock_guard<std::mutex> guard(FLock);
  return FindImageLocked(id);
}

TImageData* TSkinBuffer::GetImageData(int idx) {
  std::lock_guard<std::mutex> guard(FLock);
  return idx >= 0 && size_t(idx) < SB_IMAGE_LIST.size() ? SB_IMAGE_LIST[size_t(idx)].get() : nullptr;
}

int TSkinBuffer::ImageCount() {
  std::lock_guard<std::mutex> guard(FLock);
  return int(SB_IMAGE_LIST.size());
}

void TSkinBuffer::DrawImage(std::string_view id, TBitmap32& canvas, int x, int y, int w, int h, bool blend) {
  if (TImageData* data = GetImageData(id)) data->DrawTo(canvas, x, y, w, h, blend);
}

void TSkinBuffer::DrawImage(int idx, TBitmap32& canvas, int x, int y, int w, int h, bool blend) {
  if (TImageData* data = GetImageData(idx)) data->DrawTo(canvas, x, y, w, h, blend);
}

void TSkinBuffer::DrawImage(std::string_view id, TBitmap32& canvas, int x, int y, bool blend) {
  if (TImageData* data = GetImageData(id)) data->DrawTo(canvas, x, y, blend);
}

void TSkinBuffer::DrawImage(int idx, TBitmap32& canvas, int x, int y, bool blend) {
  if (TImageData* data = GetImageData(idx)) data->DrawTo(canvas, x, y, blend);
}

void TSkinBuffer::DrawImage(std::string_view id, TBitmap32& canvas, const TRect& rect, bool blend) {
  DrawImage(id, canvas, rect.Left, rect.Top, rect.Width(), rect.Height(), blend);
}

void TSkinBuffer::DrawImage(std::string_view id, TBitmap32& canvas, const TRect& rect, bool blend, bool center) {
  if (TImageData* data = GetImageData(id)) data->DrawTo(canvas, rect, blend, center);
}

void TSkinBuffer::ResetImageSize() {
  std::lock_guard<std::mutex> guard(FLock);
  for (auto& entry : SB_IMAGE_LIST) entry->ResetSize();
}

void TSkinBuffer::ResetImageSize(int idx) {
  if (TImageData* data = GetImageData(idx)) data->ResetSize();
}

void TSkinBuffer::ExchangeImage(std::string_view id1, std::string_view id2) {
  NV_ASSERT_UI_THREAD();
  std::lock_guard<std::mutex> guard(FLock);
  TImageData* a = FindImageLocked(id1);
  TImageData* b = FindImageLocked(id2);
  if (a && b) std::swap(a->SD_ID, b->SD_ID);
}

void TSkinBuffer::CopyImageData(TSkinBuffer& source, std::string_view dataID) {
  NV_ASSERT_UI_THREAD();
  TImageData* from = source.GetImageData(dataID);
  if (!from) return;
  auto copy = std::make_unique<TImageData>();
  copy->CopyFrom(*from);
  copy->SD_ID = from->SD_ID;
  std::lock_guard<std::mutex> guard(FLock);
  SB_IMAGE_LIST.push_back(std::move(copy));
}

TFontData* TSkinBuffer::AppendFont(std::unique_ptr<TFontData> font) {
  std::lock_guard<std::mutex> guard(FLock);
  SB_FONT_LIST.push_back(std::move(font));
  return SB_FONT_LIST.back().get();
}

void TSkinBuffer::CopyFontData(TSkinBuffer& source, std::string_view dataID) {
  NV_ASSERT_UI_THREAD();
  TFontData* from = source.GetFontData(dataID);
  if (!from) return;
  auto copy = std::make_unique<TFontData>();
  copy->SD_ID = from->SD_ID;
  copy->FD_FONT = from->FD_FONT;
  AppendFont(std::move(copy));
}

// Every font is complete before it is published, so a painter never sees one half set.
const gfx::TFont32& TSkinBuffer::LoadFont(std::string_view id) { return PutFont(id, gfx::TFont32{}); }

const gfx::TFont32& TSkinBuffer::LoadFont(std::string_view id, std::string_view paramString) {
  gfx::TFont32 font;
  config::ApplyFontSpec(font, paramString);
  return PutFont(id, font);
}

const gfx::TFont32& TSkinBuffer::LoadFont(std::string_view id, std::string_view paramsPath,
                                          std::string_view fontSection, std::string_view fontID,
                                          std::string_view def) {
  gfx::TFont32 font;
  config::LoadFontEntry(font, paramsPath, fontSection, fontID, def);
  return PutFont(id, font);
}

const gfx::TFont32& TSkinBuffer::PutFont(std::string_view id, const gfx::TFont32& font) {
  NV_ASSERT_UI_THREAD();
  auto entry = std::make_unique<TFontData>();
  entry->SD_ID = std::string(id);
  entry->FD_FONT = font;
  return AppendFont(std::move(entry))->FD_FONT;
}

TFontData* TSkinBuffer::GetFontData(std::string_view id) {
  std::lock_guard<std::mutex> guard(FLock);
  for (auto& entry : SB_FONT_LIST)
    if (entry->SD_ID == id) return entry.get();
  return nullptr;
}

TFontData* TSkinBuffer::GetFontData(int idx) {
  std::lock_guard<std::mutex> guard(FLock);
  return idx >= 0 && size_t(idx) < SB_FONT_LIST.size() ? SB_FONT_LIST[size_t(idx)].get() : nullptr;
}

int TSkinBuffer::FontCount() {
  std::lock_guard<std::mutex> guard(FLock);
  return int(SB_FONT_LIST.size());
}

namespace {
const gfx::TFont32& DefaultFont() {
  static const gfx::TFont32 font;
  return font;
}
}  // namespace

const gfx::TFont32& TSkinBuffer::Font(std::string_view id) {
  TFontData* data = GetFontData(id);
  return data ? data->FD_FONT : DefaultFont();
}

const gfx::TFont32& TSkinBuffer::Font(int idx) {
  TFontData* data = GetFontData(idx);
  return data ? data->FD_FONT : DefaultFont();
}

bool TSkinBuffer::Font(std::string_view id, gfx::TFont32& font) {
  TFontData* data = GetFontData(id);
  if (data) font = data->FD_FONT;
  return data != nullptr;
}

bool TSkinBuffer::AssignFont(std::string_view id, TBitmap32& bitmap) { return Font(id, bitmap.Font()); }

TTextData* TSkinBuffer::FindText(std::string_view dataID) {
  std::lock_guard<std::mutex> guard(FLock);
  for (auto& entry : sbTextList)
    if (entry->tdID == dataID) return entry.get();
  return nullptr;
}

void TSkinBuffer::TextOut(std::string_view dataID, const std::vector<std::string>& texts, TTextParams drawParams,
                          const TRect& rect, TBitmap32& canvas) {
  NV_ASSERT_UI_THREAD();  // the text cache is the interface thread's
  TTextData* data = FindText(dataID);
  if (!data) {
    auto entry = std::make_unique<TTextData>();
    entry->tdID = std::string(dataID);
    std::lock_guard<std::mutex> guard(FLock);
    sbTextList.push_back(std::move(entry));
    data = sbTextList.back().get();
  }
  const bool resized = rect.Width() != data->tdRect.Width() || rect.Height() != data->tdRect.Height();
  if (resized || texts != data->tdTextSrc) {
    data->tdText = texts;
    data->tdTextSrc = texts;
    data->tdRect = rect;
    data->ArrangeText(canvas);
  }
  data->DrawText(canvas, rect, drawParams);
}

}  // namespace ctrl
