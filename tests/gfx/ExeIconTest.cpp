#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "IconFixtures.h"
#include "gfx/ExeIcon.h"
#include "gfx/IcoCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

constexpr uint32_t kIcon = 3;
constexpr uint32_t kGroup = 14;

std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
}

std::vector<TColor32> ImagePixels(const TIcoImage& image) {
  TBitmap32 bitmap;
  EXPECT_TRUE(DecodeIconImage(image.Bytes.data(), image.Bytes.size(), bitmap));
  return PixelsOf(bitmap);
}

void Patch32(std::vector<uint8_t>& file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + size_t(i)] = uint8_t(v >> (8 * i));
}

uint32_t Read32(const std::vector<uint8_t>& file, size_t at) {
  return uint32_t(file[at]) | uint32_t(file[at + 1]) << 8 | uint32_t(file[at + 2]) << 16 |
         uint32_t(file[at + 3]) << 24;
}

// The root directory lists RT_ICON, then RT_GROUP_ICON; an entry's target follows its id.
constexpr size_t kGroupTypeTarget = kProgramResourceAt + 16 + 8 + 4;

// Where the target of the first entry of the directory that Target (the file offset of another
// entry's target) leads to lies in the file.
size_t FirstTargetUnder(const std::vector<uint8_t>& file, size_t target) {
  return kProgramResourceAt + (Read32(file, target) & 0x7FFFFFFF) + 16 + 4;
}

TEST(ExeIconTest, ReadsTheFittingImageOf32And64BitPrograms) {
  const TIcoImage small = PatternIconImage(16, 16, 8), large = PngIconImage(32, 32);
  for (bool pe32Plus : {false, true}) {
    SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
    const std::vector<uint8_t> program = WriteProgram(pe32Plus, IconResources({small, large}));
    const struct {
      int Want;
      const TIcoImage& Image;
    } cases[] = {{16, small}, {8, small}, {17, large}, {32, large}, {64, large}};
    for (const auto& c : cases) {
      TBitmap32 bitmap;
      const TPictureResult result =
          DecodeExeIcon(program.data(), program.size(), c.Want, c.Want, bitmap);
      ASSERT_TRUE(result) << c.Want << ": " << result.Message;
      EXPECT_EQ(bitmap.Width(), c.Image.Width) << c.Want;
      EXPECT_EQ(PixelsOf(bitmap), ImagePixels(c.Image)) << c.Want;
    }
  }
}

// The first group as stored wins: named groups come before numbered ones.
TEST(ExeIconTest, TakesTheFirstIconGroup) {
  const TIcoImage a = PatternIconImage(16, 16, 4), b = PatternIconImage(32, 32, 32);
  std::vector<TResource> resources = {{kIcon, 1, {}, a.Bytes}, {kIcon, 2, {}, b.Bytes}};
  resources.push_back({kGroup, 1, {}, WriteIconGroup({b}, 2)});
  resources.push_back({kGroup, 0, u"MAINICON", WriteIconGroup({a}, 1)});
  for (bool named : {true, false}) {
    if (!named) resources.pop_back();
    const std::vector<uint8_t> program = WriteProgram(false, resources);
    TBitmap32 bitmap;
    ASSERT_TRUE(DecodeExeIcon(program.data(), program.size(), 32, 32, bitmap));
    EXPECT_EQ(PixelsOf(bitmap), ImagePixels(named ? a : b)) << named;
  }
}

TEST(ExeIconTest, RefusesWhatIsNoProgramWithAnIcon) {
  const TIcoImage image = PatternIconImage(8, 8, 24);
  const std::vector<uint8_t> good = WriteProgram(false, IconResources({image}));
  auto patched = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> file = good;
    Patch32(file, at, v);
    return file;
  };
  const size_t pe = 0x80, optional = pe + 24, resourceDirectory = optional + 96 + 2 * 8;
  const size_t sectionTable = optional + 96 + 16 * 8, resourceSection = sectionTable + 40;
  std::vector<uint8_t> dosOnly(0x40, 0);
  dosOnly[0] = 'M';
  dosOnly[1] = 'Z';
  std::vector<uint8_t> groupCount = good;
  // The group (the last resource, so the data at the end of the section) names 200 images.
  const std::vector<uint8_t> group = WriteIconGroup({image}, 1);
  const auto groupAt = std::search(groupCount.begin(), groupCount.end(), group.begin(), group.end());
  ASSERT_NE(groupAt, groupCount.end());
  groupAt[4] = 200;
  // The group's language entry leads to its own directory instead of to data.
  std::vector<uint8_t> languageLoop = good;
  const size_t nameTarget = FirstTargetUnder(good, kGroupTypeTarget);
  const size_t languageTarget = FirstTargetUnder(good, nameTarget);
  Patch32(languageLoop, languageTarget, Read32(good, nameTarget));
  ASSERT_NE(Read32(good, nameTarget) & 0x80000000u, 0u);
  const struct {
    const char* Name;
    std::vector<uint8_t> File;
    TPictureError Expected;
  } cases[] = {
      {"empty", {}, TPictureError::peUnsupported},
      {"an icon file", WriteIco({image}), TPictureError::peUnsupported},
      {"a DOS program", dosOnly, TPictureError::peUnsupported},
      {"header offset past the end", patched(0x3C, 0xFFFFFFF0), TPictureError::peUnsupported},
      {"no resources", WriteProgram(true, {}), TPictureError::peUnsupported},
      {"icons but no group", WriteProgram(false, {{kIcon, 1, {}, image.Bytes}}),
       TPictureError::peUnsupported},
      {"unknown optional header", patched(optional, 0x107), TPictureError::peUnsupported},
      {"resources outside every section", patched(resourceDirectory, 0x9000),
       TPictureError::peCorrupt},
      {"section data past the end", patched(resourceSection + 20, 0x7FFFFF00),
       TPictureError::peCorrupt},
      // The file goes on, but the section's data ends before the resource tree does.
      {"section data shorter than the tree", patched(resourceSection + 16, 16),
       TPictureError::peCorrupt},
      {"group names a missing image", WriteProgram(false, {{kGroup, 1, {}, group}}),
       TPictureError::peCorrupt},
      {"group longer than its data", groupCount, TPictureError::peCorrupt},
      // A type entry leading back to the root: the walk stops at the third level.
      {"root refers to itself", patched(kGroupTypeTarget, 0x80000000u), TPictureError::peCorrupt},
      {"language level holds a directory", languageLoop, TPictureError::peCorrupt},
  };
  for (const auto& c : cases) {
    TBitmap32 bitmap(3, 3);
    const TPictureResult result = DecodeExeIcon(c.File.data(), c.File.size(), 16, 16, bitmap);
    EXPECT_EQ(result.Error, c.Expected) << c.Name << ": " << result.Message;
    EXPECT_TRUE(bitmap.Empty()) << c.Name;
    EXPECT_FALSE(result.Message.empty()) << c.Name;
  }
}

// A cut anywhere before the last byte the icon uses fails; one in the section's padding after
// it changes nothing.
TEST(ExeIconTest, EveryPrefixOfAProgramFailsCleanlyOrGivesTheSameIcon) {
  const TIcoImage image = PatternIconImage(8, 8, 32);
  const std::vector<uint8_t> program = WriteProgram(true, IconResources({image}));
  TBitmap32 full;
  ASSERT_TRUE(DecodeExeIcon(program.data(), program.size(), 8, 8, full));
  size_t firstSuccess = program.size();
  for (size_t length = 0; length < program.size(); ++length) {
    TBitmap32 bitmap(2, 2);
    const TPictureResult result = DecodeExeIcon(program.data(), length, 8, 8, bitmap);
    if (result) {
      firstSuccess = std::min(firstSuccess, length);
      ASSERT_EQ(PixelsOf(bitmap), PixelsOf(full)) << length;
    } else {
      ASSERT_EQ(firstSuccess, program.size()) << length << ": failed after a shorter prefix worked";
      ASSERT_TRUE(bitmap.Empty()) << length;
      ASSERT_FALSE(result.Message.empty()) << length;
    }
  }
  EXPECT_GT(firstSuccess, kProgramResourceAt + image.Bytes.size());
}

TEST(ExeIconTest, EverySingleBitFlipDecodesOrFailsCleanly) {
  const std::vector<uint8_t> program =
      WriteProgram(false, IconResources({PatternIconImage(4, 4, 4), PatternIconImage(6, 6, 24)}));
  int failures = 0;
  for (size_t at = 0; at < program.size(); ++at)
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> file = program;
      file[at] ^= uint8_t(1 << bit);
      TBitmap32 bitmap;
      const TPictureResult result = DecodeExeIcon(file.data(), file.size(), 6, 6, bitmap, {4096});
      if (result) {
        ASSERT_FALSE(bitmap.Empty());
        ASSERT_LE(int64_t{bitmap.Width()} * bitmap.Height(), 4096);
      } else {
        ASSERT_TRUE(bitmap.Empty()) << result.Message;
        ASSERT_FALSE(result.Message.empty());
        ++failures;
      }
    }
  EXPECT_GT(failures, 100);
}

}  // namespace
