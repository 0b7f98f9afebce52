#include "PictureFixtures.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
// clang-format off
#include <cstddef>  // jpeglib.h expects size_t and FILE to be declared before it
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace fixtures {

void Put16Le(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32Le(std::vector<uint8_t>& out, uint32_t v) {
  Put16Le(out, v & 0xFFFF);
  Put16Le(out, v >> 16);
}

namespace {

void Put16Be(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void Put32Be(std::vector<uint8_t>& out, uint32_t v) {
  Put16Be(out, v >> 16);
  Put16Be(out, v & 0xFFFF);
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  Put32Be(out, uint32_t(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  Put32Be(out, Crc32(out.data() + start, out.size() - start));
}

// Samples packed the way PNG stores them: below 8 bits the leftmost sample in the high bits,
// 16 bits big-endian.
std::vector<uint8_t> PackPngRow(const uint16_t* samples, size_t count, int depth) {
  std::vector<uint8_t> row;
  if (depth == 16) {
    for (size_t i = 0; i < count; ++i) Put16Be(row, samples[i]);
    return row;
  }
  row.assign((count * size_t(depth) + 7) / 8, 0);
  for (size_t i = 0; i < count; ++i) {
    const size_t bit = i * size_t(depth);
    row[bit / 8] |= uint8_t((samples[i] & ((1u << depth) - 1)) << (8 - depth - int(bit % 8)));
  }
  return row;
}

void AppendToVector(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
void FlushNothing(png_structp) {}
void IgnoreWarning(png_structp, png_const_charp) {}

// libpng jumps back here on an error; nothing with a destructor lives in this frame.
bool RunPngWriter(png_structp png, png_infop info, const TPngRecipe& recipe,
                  const png_color* palette, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, png_uint_32(recipe.Width), png_uint_32(recipe.Height), recipe.BitDepth,
               int(recipe.Colour), recipe.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!recipe.Palette.empty()) png_set_PLTE(png, info, palette, int(recipe.Palette.size() / 3));
  if (!recipe.Transparency.empty() && recipe.Colour == TPngColour::pcPalette) {
    png_set_tRNS(png, info, recipe.Transparency.data(), int(recipe.Transparency.size()), nullptr);
  } else if (!recipe.Transparency.empty()) {
    png_color_16 key{};
    key.gray = key.red = recipe.Transparency[0];
    key.green = recipe.Transparency.size() > 2 ? recipe.Transparency[1] : 0;
    key.blue = recipe.Transparency.size() > 2 ? recipe.Transparency[2] : 0;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

int PngChannels(TPngColour colour) {
  switch (colour) {
    case TPngColour::pcGrey:
    case TPngColour::pcPalette:
      return 1;
    case TPngColour::pcGreyAlpha:
      return 2;
    case TPngColour::pcRgb:
      return 3;
    case TPngColour::pcRgba:
      return 4;
  }
  return 1;
}

std::vector<uint8_t> WritePng(const TPngRecipe& recipe) {
  const size_t perRow = size_t(recipe.Width) * size_t(PngChannels(recipe.Colour));
  if (recipe.Samples.size() != perRow * size_t(recipe.Height)) return {};
  std::vector<std::vector<uint8_t>> packed;
  std::vector<png_bytep> rows;
  for (int y = 0; y < recipe.Height; ++y)
    packed.push_back(
        PackPngRow(recipe.Samples.data() + size_t(y) * perRow, perRow, recipe.BitDepth));
  for (auto& row : packed) rows.push_back(row.data());
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < recipe.Palette.size(); i += 3)
    palette.push_back({recipe.Palette[i], recipe.Palette[i + 1], recipe.Palette[i + 2]});

  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, FlushNothing);
  const bool ok = RunPngWriter(png, info, recipe, palette.data(), rows.data());
  png_destroy_write_struct(&png, &info);
  if (!ok) out.clear();
  return out;
}

std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32Be(ihdr, width);
  Put32Be(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlacing
  PutPngChunk(out, "IHDR", ihdr);
  PutPngChunk(out, "IEND", {});
  return out;
}

int JpegComponents(TJpegKind kind) {
  switch (kind) {
    case TJpegKind::jkGrey:
      return 1;
    case TJpegKind::jkColour:
      return 3;
    case TJpegKind::jkCmykAdobe:
    case TJpegKind::jkYcckAdobe:
    case TJpegKind::jkCmykPlain:
      return 4;
  }
  return 3;
}

std::vector<uint8_t> SolidSamples(int width, int height, std::vector<uint8_t> pixel) {
  std::vector<uint8_t> out;
  out.reserve(size_t(width) * size_t(height) * pixel.size());
  for (int i = 0; i < width * height; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
  return out;
}

// The fixtures are always valid, so libjpeg's own error handler (which ends the program)
// only fires on a broken test.
std::vector<uint8_t> WriteJpeg(const TJpegRecipe& recipe) {
  const int components = JpegComponents(recipe.Kind);
  std::vector<uint8_t> samples = recipe.Samples;
  if (samples.empty()) {
    const int w = std::max(recipe.Width - 1, 1), h = std::max(recipe.Height - 1, 1);
    for (int y = 0; y < recipe.Height; ++y)
      for (int x = 0; x < recipe.Width; ++x)
        for (int c = 0; c < components; ++c)
          samples.push_back(uint8_t(c % 3 == 0   ? x * 255 / w
                                    : c % 3 == 1 ? y * 255 / h
                                                 : (x + y) * 255 / (w + h)));
  }
  if (samples.size() != size_t(recipe.Width) * size_t(recipe.Height) * size_t(components))
    return {};

  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(recipe.Width);
  info.image_height = JDIMENSION(recipe.Height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  if (recipe.Kind == TJpegKind::jkYcckAdobe) jpeg_set_colorspace(&info, JCS_YCCK);
  if (recipe.Kind == TJpegKind::jkCmykPlain) info.write_Adobe_marker = FALSE;
  jpeg_set_quality(&info, recipe.Quality, TRUE);
  if (recipe.Progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = size_t(recipe.Width) * size_t(components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = samples.data() + info.next_scanline * stride;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> JpegHeaderOnly(int width, int height) {
  std::vector<uint8_t> out = {0xFF, 0xD8};
  // Baseline frame: 8-bit samples, three components sampled 1 x 1 on quantisation table 0.
  out.insert(out.end(), {0xFF, 0xC0, 0x00, 0x11, 0x08});
  Put16Be(out, uint32_t(height));
  Put16Be(out, uint32_t(width));
  out.insert(out.end(), {0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00});
  // Scan of all three components over the whole spectrum.
  out.insert(out.end(),
             {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x3F, 0x00});
  out.insert(out.end(), {0x00, 0x00, 0xFF, 0xD9});
  return out;
}

std::vector<uint8_t> WriteBmp(const TBmpRecipe& recipe) {
  const int rows = int(std::min<int64_t>(std::abs(int64_t{recipe.Height}), INT32_MAX));
  const bool core = recipe.HeaderSize == 12;
  const bool bitfields = recipe.Compression == 3 || recipe.Compression == 6;
  const size_t masksAfterHeader = bitfields && recipe.HeaderSize == 40 ? 12 : 0;
  const size_t entrySize = core ? 3 : 4;
  const size_t offset =
      14 + recipe.HeaderSize + masksAfterHeader + recipe.Palette.size() * entrySize;
  const size_t stride = (size_t(recipe.Width) * size_t(recipe.BitCount) + 31) / 32 * 4;

  std::vector<uint8_t> out = {'B', 'M'};
  Put32Le(out, uint32_t(offset + stride * size_t(rows)));
  Put32Le(out, 0);
  Put32Le(out, uint32_t(offset));
  Put32Le(out, recipe.HeaderSize);
  if (core) {
    Put16Le(out, uint32_t(recipe.Width));
    Put16Le(out, uint32_t(recipe.Height));
    Put16Le(out, 1);
    Put16Le(out, uint32_t(recipe.BitCount));
  } else {
    Put32Le(out, uint32_t(recipe.Width));
    Put32Le(out, uint32_t(recipe.Height));
    Put16Le(out, 1);
    Put16Le(out, uint32_t(recipe.BitCount));
    Put32Le(out, recipe.Compression);
    Put32Le(out, uint32_t(stride * size_t(rows)));
    Put32Le(out, 2835);
    Put32Le(out, 2835);
    Put32Le(out, uint32_t(recipe.Palette.size()));
    Put32Le(out, 0);
    const size_t masks = recipe.HeaderSize >= 56 ? 4 : masksAfterHeader / 4;
    for (size_t i = 0; i < masks; ++i) Put32Le(out, bitfields ? recipe.Masks[i] : 0);
    if (recipe.HeaderSize >= 108) Put32Le(out, 0x73524742);  // 'sRGB'
    out.resize(14 + recipe.HeaderSize + masksAfterHeader, 0);
  }
  for (uint32_t colour : recipe.Palette) {
    out.insert(out.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    if (!core) out.push_back(0);
  }
  if (recipe.Values.empty()) return out;

  for (int stored = 0; stored < rows; ++stored) {
    const int y = recipe.Height < 0 ? stored : rows - 1 - stored;
    const uint32_t* values = recipe.Values.data() + size_t(y) * size_t(recipe.Width);
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < recipe.Width; ++x) {
      const uint32_t v = values[x];
      const size_t bit = size_t(x) * size_t(recipe.BitCount);
      switch (recipe.BitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
          row[bit / 8] |= uint8_t(v << (8 - recipe.BitCount - int(bit % 8)));
          break;
        case 16:
          row[bit / 8] = uint8_t(v);
          row[bit / 8 + 1] = uint8_t(v >> 8);
          break;
        case 24:
          row[bit / 8] = uint8_t(v);
          row[bit / 8 + 1] = uint8_t(v >> 8);
          row[bit / 8 + 2] = uint8_t(v >> 16);
          break;
        case 32:
          for (int k = 0; k < 4; ++k) row[bit / 8 + size_t(k)] = uint8_t(v >> (8 * k));
          break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

namespace {

// Samples that differ from pixel to pixel and channel to channel, within the bit depth.
std::vector<uint16_t> PatternSamples(int width, int height, int channels, int depth) {
  std::vector<uint16_t> out;
  const uint32_t top = (1u << depth) - 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c)
        out.push_back(uint16_t((uint32_t(x * 37 + y * 91 + c * 53) * 2654435761u >> 7) & top));
  return out;
}

std::vector<uint32_t> PatternValues(int width, int height, uint32_t top) {
  std::vector<uint32_t> out;
  for (int i = 0; i < width * height; ++i) out.push_back((uint32_t(i) * 2654435761u >> 5) & top);
  return out;
}

TPngRecipe PngPattern(int w, int h, TPngColour colour, int depth, bool interlaced = false) {
  TPngRecipe recipe{w,     h,          colour,
                    depth, interlaced, PatternSamples(w, h, PngChannels(colour), depth)};
  if (colour == TPngColour::pcPalette) {
    for (int i = 0; i < (1 << depth); ++i)
      recipe.Palette.insert(recipe.Palette.end(),
                            {uint8_t(i * 40), uint8_t(255 - i * 9), uint8_t(i * 3)});
  }
  return recipe;
}

std::vector<TNamedFile> PngSeeds() {
  TPngRecipe palette = PngPattern(8, 8, TPngColour::pcPalette, 4);
  palette.Transparency = {0, 64, 128, 255, 10};
  return {
      {"rgba8.png", WritePng(PngPattern(8, 8, TPngColour::pcRgba, 8))},
      {"rgb16.png", WritePng(PngPattern(5, 3, TPngColour::pcRgb, 16))},
      {"grey1.png", WritePng(PngPattern(17, 3, TPngColour::pcGrey, 1))},
      {"grey16-interlaced.png", WritePng(PngPattern(9, 9, TPngColour::pcGrey, 16, true))},
      {"greyalpha8.png", WritePng(PngPattern(5, 5, TPngColour::pcGreyAlpha, 8))},
      {"palette4-trns.png", WritePng(palette)},
      {"rgba8-interlaced.png", WritePng(PngPattern(11, 7, TPngColour::pcRgba, 8, true))},
  };
}

std::vector<TNamedFile> JpegSeeds() {
  return {
      {"colour.jpg", WriteJpeg({16, 16, TJpegKind::jkColour})},
      {"colour-progressive.jpg", WriteJpeg({24, 17, TJpegKind::jkColour, true})},
      {"grey.jpg", WriteJpeg({9, 8, TJpegKind::jkGrey})},
      {"cmyk-adobe.jpg", WriteJpeg({16, 8, TJpegKind::jkCmykAdobe})},
      {"ycck.jpg", WriteJpeg({9, 9, TJpegKind::jkYcckAdobe, true})},
      {"cmyk-plain.jpg", WriteJpeg({8, 8, TJpegKind::jkCmykPlain})},
  };
}

std::vector<TNamedFile> BmpSeeds() {
  std::vector<TNamedFile> seeds;
  auto add = [&](const char* name, TBmpRecipe recipe, uint32_t top) {
    recipe.Values =
        PatternValues(recipe.Width, recipe.Height < 0 ? -recipe.Height : recipe.Height, top);
    seeds.push_back({name, WriteBmp(recipe)});
  };
  const std::vector<uint32_t> palette16 = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                           0x808080, 0xFFFFFF, 0x123456, 0xABCDEF};
  add("palette1.bmp", {9, 3, 40, 1, 0, {}, {0x102030, 0xF0E0D0}}, 1);
  add("palette4.bmp", {5, 4, 40, 4, 0, {}, palette16}, 15);
  add("palette8-topdown.bmp", {6, -3, 40, 8, 0, {}, palette16}, 255);
  add("core8.bmp", {4, 3, 12, 8, 0, {}, palette16}, 7);
  add("rgb555.bmp", {3, 3, 40, 16}, 0x7FFF);
  add("rgb565.bmp", {3, 2, 40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}}, 0xFFFF);
  add("rgb24.bmp", {5, 2, 40, 24}, 0xFFFFFF);
  add("rgb32.bmp", {4, 2, 40, 32}, 0xFFFFFF);
  add("argb32-v5.bmp", {3, -2, 124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, 0xFFFFFFFF);
  add("rgba1010102-v4.bmp", {2, 2, 108, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
      0xFFFFFFFF);
  return seeds;
}

}  // namespace

TScratchFolder::TScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "norvo-pictures-XXXXXX").string();
  if (::mkdtemp(pattern.data())) FPath = pattern;
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  if (!FPath.empty()) std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::string> TScratchFolder::Names() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(FPath, ignored))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<TNamedFile> SeedFiles(gfx::TPictureFormat format) {
  switch (format) {
    case gfx::TPictureFormat::pfPng:
      return PngSeeds();
    case gfx::TPictureFormat::pfJpeg:
      return JpegSeeds();
    case gfx::TPictureFormat::pfBmp:
      return BmpSeeds();
    case gfx::TPictureFormat::pfUnknown:
      break;
  }
  return {};
}

}  // namespace fixtures
