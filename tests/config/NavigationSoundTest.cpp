// The navigation sound the default settings name is in the application folder the build makes:
// a short, audible WAV of 16-bit mono PCM that starts and ends quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/NV_PathMacros.h"
#include "config/NV_Settings.h"

namespace config {
namespace {

uint32_t Le(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int k = count - 1; k >= 0; --k) value = value << 8 | uint8_t(bytes[at + size_t(k)]);
  return value;
}

struct TWav {
  uint32_t Format = 0, Channels = 0, Rate = 0, ByteRate = 0, BlockAlign = 0, Bits = 0;
  std::vector<int16_t> Samples;
};

// Walks the RIFF chunks; false when the file is no WAVE file with a format and a data chunk.
bool ReadWav(const std::string& bytes, TWav& wav) {
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0 ||
      Le(bytes, 4, 4) != bytes.size() - 8)
    return false;
  bool format = false, data = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = bytes.substr(at, 4);
    const size_t size = Le(bytes, at + 4, 4), body = at + 8;
    if (body + size > bytes.size()) return false;
    if (id == "fmt " && size >= 16) {
      wav.Format = Le(bytes, body, 2);
      wav.Channels = Le(bytes, body + 2, 2);
      wav.Rate = Le(bytes, body + 4, 4);
      wav.ByteRate = Le(bytes, body + 8, 4);
      wav.BlockAlign = Le(bytes, body + 12, 2);
      wav.Bits = Le(bytes, body + 14, 2);
      format = true;
    } else if (id == "data") {
      for (size_t k = 0; k + 1 < size; k += 2) wav.Samples.push_back(int16_t(Le(bytes, body + k, 2)));
      data = true;
    }
    at = body + size + (size & 1);
  }
  return format && data;
}

// The path a macro path has in the build's application folder.
std::string InBuildFolder(std::string_view macroPath) {
  const TPathContext before = *PathContext();
  TPathContext context = before;
  context.AppFolder = NORVO_APP_FOLDER;
  SetPathContext(context);
  std::string path = ResolvePath(macroPath);
  SetPathContext(before);
  return path;
}

TEST(NavigationSound, TheDefaultSoundIsAShortAudibleTick) {
  const std::string path = InBuildFolder(kDefaultNavSound);
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

  TWav wav;
  ASSERT_TRUE(ReadWav(bytes, wav)) << path;
  EXPECT_EQ(wav.Format, 1u);  // PCM
  EXPECT_EQ(wav.Channels, 1u);
  EXPECT_TRUE(wav.Rate == 44100 || wav.Rate == 22050) << wav.Rate;
  EXPECT_EQ(wav.Bits, 16u);
  EXPECT_EQ(wav.BlockAlign, 2u);
  EXPECT_EQ(wav.ByteRate, wav.Rate * 2);
  const double seconds = double(wav.Samples.size()) / wav.Rate;
  EXPECT_GE(seconds, 0.1);
  EXPECT_LE(seconds, 0.2);

  int peak = 0;
  double energy = 0;
  for (int16_t s : wav.Samples) {
    peak = std::max(peak, std::abs(int(s)));
    energy += double(s) * s;
  }
  const double rms = std::sqrt(energy / double(std::max<size_t>(wav.Samples.size(), 1)));
  EXPECT_GT(peak, 32767 / 8) << "too quiet to hear";
  EXPECT_LT(peak, 32767) << "clipped";
  EXPECT_GT(rms, 300.0) << "silent for most of its length";
  // No click where it starts or stops.
  ASSERT_FALSE(wav.Samples.empty());
  EXPECT_LT(std::abs(int(wav.Samples.front())), 300);
  EXPECT_LT(std::abs(int(wav.Samples.back())), 300);
}

}  // namespace
}  // namespace config
