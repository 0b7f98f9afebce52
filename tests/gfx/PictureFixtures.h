// Picture files written in memory for the codec tests and the fuzzers' seed corpus: PNG and JPEG
// through libpng's and libjpeg's own writers, BMP and the oversized headers byte by byte.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "gfx/Picture.h"

namespace gfx {
// Lets test failures name the error.
inline void PrintTo(TPictureError error, std::ostream* os) { *os << PictureErrorName(error); }
}  // namespace gfx

namespace fixtures {

// Appends V in little-endian order, as the Windows formats store numbers.
void Put16Le(std::vector<uint8_t>& out, uint32_t v);
void Put32Le(std::vector<uint8_t>& out, uint32_t v);

// PNG colour types by their numbers in the format.
enum class TPngColour { pcGrey = 0, pcRgb = 2, pcPalette = 3, pcGreyAlpha = 4, pcRgba = 6 };

struct TPngRecipe {
  int Width = 1;
  int Height = 1;
  TPngColour Colour = TPngColour::pcRgba;
  int BitDepth = 8;
  bool Interlaced = false;
  std::vector<uint16_t> Samples;  // Width * Height * channels, rows top first, at BitDepth
  std::vector<uint8_t> Palette;   // red, green, blue triples
  // tRNS: alpha of the first palette entries, or the one transparent grey or RGB colour.
  std::vector<uint8_t> Transparency;
};

int PngChannels(TPngColour colour);
std::vector<uint8_t> WritePng(const TPngRecipe& recipe);
// A signature and an IHDR (with a correct checksum) declaring Width x Height, then IEND.
std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height);

enum class TJpegKind {
  jkColour,     // RGB samples, stored as YCbCr
  jkGrey,       // one sample
  jkCmykAdobe,  // inverted inks (255 = none) with an Adobe marker, as most writers store CMYK
  jkYcckAdobe,  // the same inks, stored as YCCK
  jkCmykPlain,  // plain inks (0 = none), no Adobe marker
};

struct TJpegRecipe {
  int Width = 16;
  int Height = 16;
  TJpegKind Kind = TJpegKind::jkColour;
  bool Progressive = false;
  int Quality = 90;
  std::vector<uint8_t> Samples;  // Width * Height * components; empty = a smooth pattern
};

int JpegComponents(TJpegKind kind);
std::vector<uint8_t> WriteJpeg(const TJpegRecipe& recipe);
// The same sample repeated over the whole picture.
std::vector<uint8_t> SolidSamples(int width, int height, std::vector<uint8_t> pixel);
// Start of image, frame and scan headers declaring Width x Height, with no image data.
std::vector<uint8_t> JpegHeaderOnly(int width, int height);

struct TBmpRecipe {
  int Width = 1;
  int Height = 1;            // stored as given; negative = top-down
  uint32_t HeaderSize = 40;  // 12 (core), 40, 108 (V4) or 124 (V5)
  int BitCount = 24;
  uint32_t Compression = 0;       // 0 = none, 3 = bit fields
  uint32_t Masks[4] = {};         // red, green, blue, alpha; written for bit fields only
  std::vector<uint32_t> Palette;  // $00RRGGBB
  // Top row first, Width * |Height| raw values: palette indices, $RRGGBB for 24 bits, or the
  // 16/32-bit pixel word. Empty: the file ends after the headers and palette.
  std::vector<uint32_t> Values;
};

std::vector<uint8_t> WriteBmp(const TBmpRecipe& recipe);

struct TNamedFile {
  std::string Name;
  std::vector<uint8_t> Bytes;
};

// A fresh folder under the system's temporary folder, removed with its contents.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  std::vector<std::string> Names() const;  // the folder's entries, sorted

 private:
  std::string FPath;
};

// A few small valid files of the format in its main variants.
std::vector<TNamedFile> SeedFiles(gfx::TPictureFormat format);

}  // namespace fixtures
