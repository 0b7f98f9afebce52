// Icon files and Windows programs written in memory for the icon tests and the fuzzers' seed
// corpus: icon directories over PNG or bitmap images, and minimal 32 and 64-bit programs whose
// resources hold icon groups.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PictureFixtures.h"

namespace fixtures {

// One image of an icon file and what its directory entry says about it.
struct TIcoImage {
  int Width = 16;  // 1..256, stored as a byte where 256 becomes 0
  int Height = 16;
  int BitCount = 32;
  std::vector<uint8_t> Bytes;  // a PNG file or an icon bitmap (WriteIconBitmap)
  uint8_t ColourCount = 0;
};

// An icon bitmap: the BMP recipe's info header, palette and pixels without the file header, the
// height doubled for the mask, then the 1-bit mask. Mask: Width * Height values, top row first,
// non-zero for a transparent pixel; empty for all opaque.
std::vector<uint8_t> WriteIconBitmap(const TBmpRecipe& recipe, const std::vector<uint8_t>& mask = {});

// The header, the directory and the images back to back in the order given.
std::vector<uint8_t> WriteIco(const std::vector<TIcoImage>& images);
// The offset of image Index's directory entry in a WriteIco file.
constexpr size_t IcoEntryAt(size_t index) { return 6 + index * 16; }

// A resource of a program: type and id or name, one language.
struct TResource {
  uint32_t Type = 0;
  uint32_t Id = 0;
  std::u16string Name;  // when not empty, a named resource instead of an id
  std::vector<uint8_t> Bytes;
};

// A program with a code section and a resource section holding Resources in a three-level tree
// (type, name, language), named entries before ids at each level, ids ascending.
std::vector<uint8_t> WriteProgram(bool pe32Plus, const std::vector<TResource>& resources);
// Where the resource section's data starts in a WriteProgram file, and its address.
inline constexpr size_t kProgramResourceAt = 0x400;
inline constexpr uint32_t kProgramResourceRva = 0x2000;

// An icon group resource naming the images FirstId, FirstId + 1, ... in Images' order.
std::vector<uint8_t> WriteIconGroup(const std::vector<TIcoImage>& images, uint16_t firstId);
// The images as icons 1..n and one group over them (id GroupId).
std::vector<TResource> IconResources(const std::vector<TIcoImage>& images, uint32_t groupId = 1);

// A small opaque-and-transparent pattern of Width x Height at BitCount (1, 4, 8, 24 or 32).
TIcoImage PatternIconImage(int width, int height, int bitCount);
// The same pattern as a PNG entry.
TIcoImage PngIconImage(int width, int height);

// A few small valid icon files and programs, for the fuzzers' seeds.
std::vector<TNamedFile> IcoSeedFiles();
std::vector<TNamedFile> ProgramSeedFiles();

}  // namespace fixtures
