#include "IconFixtures.h"

#include <algorithm>
#include <map>

namespace fixtures {

namespace {

void Set16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v);
  out[at + 1] = uint8_t(v >> 8);
}
void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Set16(out, at, v & 0xFFFF);
  Set16(out, at + 2, v >> 16);
}
size_t Align(size_t at, size_t to) { return (at + to - 1) / to * to; }

constexpr uint32_t kSubdirectory = 0x80000000u;

// The resource tree and its data, laid out as directories, data entries, names, then data.
class TResourceWriter {
 public:
  explicit TResourceWriter(const std::vector<TResource>& resources) {
    for (const TResource& r : resources) FByType[r.Type].push_back(&r);
    for (auto& [type, list] : FByType)
      std::stable_sort(list.begin(), list.end(), [](const TResource* a, const TResource* b) {
        if (a->Name.empty() != b->Name.empty()) return !a->Name.empty();
        return a->Name.empty() && a->Id < b->Id;
      });
  }

  std::vector<uint8_t> Write() {
    size_t at = DirectorySize(FByType.size());
    std::vector<size_t> typeAt;
    std::vector<const TResource*> order;
    for (const auto& [type, list] : FByType) {
      typeAt.push_back(at);
      at += DirectorySize(list.size());
      order.insert(order.end(), list.begin(), list.end());
    }
    std::vector<size_t> languageAt, leafAt, nameAt, dataAt;
    for (size_t i = 0; i < order.size(); ++i, at += DirectorySize(1)) languageAt.push_back(at);
    for (size_t i = 0; i < order.size(); ++i, at += 16) leafAt.push_back(at);
    for (const TResource* r : order) {
      nameAt.push_back(at);
      if (!r->Name.empty()) at = Align(at + 2 + 2 * r->Name.size(), 2);
    }
    for (const TResource* r : order) {
      at = Align(at, 4);
      dataAt.push_back(at);
      at += r->Bytes.size();
    }
    FOut.assign(at, 0);

    PutDirectory(0, 0, FByType.size());
    size_t t = 0, i = 0;
    for (const auto& [type, list] : FByType) {
      PutEntry(0, t, type, kSubdirectory | uint32_t(typeAt[t]));
      const size_t named = size_t(std::count_if(list.begin(), list.end(),
                                                [](const TResource* r) { return !r->Name.empty(); }));
      PutDirectory(typeAt[t], named, list.size() - named);
      for (size_t k = 0; k < list.size(); ++k, ++i) {
        const TResource& r = *order[i];
        const uint32_t name = r.Name.empty() ? r.Id : kSubdirectory | uint32_t(nameAt[i]);
        PutEntry(typeAt[t], k, name, kSubdirectory | uint32_t(languageAt[i]));
        PutDirectory(languageAt[i], 0, 1);
        PutEntry(languageAt[i], 0, 0x409, uint32_t(leafAt[i]));
        Set32(FOut, leafAt[i], kProgramResourceRva + uint32_t(dataAt[i]));
        Set32(FOut, leafAt[i] + 4, uint32_t(r.Bytes.size()));
        if (!r.Name.empty()) {
          Set16(FOut, nameAt[i], uint32_t(r.Name.size()));
          for (size_t c = 0; c < r.Name.size(); ++c) Set16(FOut, nameAt[i] + 2 + 2 * c, r.Name[c]);
        }
        std::copy(r.Bytes.begin(), r.Bytes.end(), FOut.begin() + std::ptrdiff_t(dataAt[i]));
      }
      ++t;
    }
    return FOut;
  }

 private:
  static size_t DirectorySize(size_t entries) { return 16 + 8 * entries; }
  void PutDirectory(size_t at, size_t named, size_t ids) {
    Set16(FOut, at + 12, uint32_t(named));
    Set16(FOut, at + 14, uint32_t(ids));
  }
  void PutEntry(size_t directory, size_t index, uint32_t name, uint32_t target) {
    Set32(FOut, directory + 16 + 8 * index, name);
    Set32(FOut, directory + 20 + 8 * index, target);
  }

  std::map<uint32_t, std::vector<const TResource*>> FByType;
  std::vector<uint8_t> FOut;
};

void PutSection(std::vector<uint8_t>& out, const char* name, uint32_t virtualSize, uint32_t rva,
                uint32_t rawSize, uint32_t rawAt) {
  const size_t at = out.size();
  out.resize(at + 8, 0);
  std::copy(name, name + std::min<size_t>(8, std::char_traits<char>::length(name)), out.begin() + std::ptrdiff_t(at));
  Put32Le(out, virtualSize);
  Put32Le(out, rva);
  Put32Le(out, rawSize);
  Put32Le(out, rawAt);
  out.resize(at + 40, 0);
}

uint32_t PatternArgb(int x, int y) {
  return uint32_t(x * 53 + y * 11) << 16 | uint32_t(x * 7 + y * 31) << 8 | uint32_t(x * y * 5 + 9);
}

}  // namespace

std::vector<uint8_t> WriteIconBitmap(const TBmpRecipe& recipe, const std::vector<uint8_t>& mask) {
  std::vector<uint8_t> out = WriteBmp(recipe);
  out.erase(out.begin(), out.begin() + 14);
  Set32(out, 8, uint32_t(recipe.Height * 2));
  const int rows = std::abs(recipe.Height);
  const size_t stride = (size_t(recipe.Width) + 31) / 32 * 4;
  for (int stored = 0; stored < rows; ++stored) {
    const int y = recipe.Height < 0 ? stored : rows - 1 - stored;
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < recipe.Width && !mask.empty(); ++x)
      if (mask[size_t(y) * size_t(recipe.Width) + size_t(x)]) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<uint8_t> WriteIco(const std::vector<TIcoImage>& images) {
  std::vector<uint8_t> out;
  Put16Le(out, 0);
  Put16Le(out, 1);
  Put16Le(out, uint32_t(images.size()));
  uint32_t offset = uint32_t(IcoEntryAt(images.size()));
  for (const TIcoImage& image : images) {
    out.insert(out.end(), {uint8_t(image.Width), uint8_t(image.Height), image.ColourCount, 0});
    Put16Le(out, 1);
    Put16Le(out, uint32_t(image.BitCount));
    Put32Le(out, uint32_t(image.Bytes.size()));
    Put32Le(out, offset);
    offset += uint32_t(image.Bytes.size());
  }
  for (const TIcoImage& image : images) out.insert(out.end(), image.Bytes.begin(), image.Bytes.end());
  return out;
}

std::vector<uint8_t> WriteProgram(bool pe32Plus, const std::vector<TResource>& resources) {
  const std::vector<uint8_t> section = TResourceWriter(resources).Write();
  const uint32_t rawSize = uint32_t(Align(section.size(), 0x200));
  std::vector<uint8_t> out(0x80, 0);
  out[0] = 'M';
  out[1] = 'Z';
  Set32(out, 0x3C, 0x80);
  out.insert(out.end(), {'P', 'E', 0, 0});
  Put16Le(out, pe32Plus ? 0x8664 : 0x14C);  // machine
  Put16Le(out, 2);                          // sections
  Put32Le(out, 0);
  Put32Le(out, 0);
  Put32Le(out, 0);
  const size_t directories = pe32Plus ? 112 : 96;
  Put16Le(out, uint32_t(directories + 16 * 8));  // optional header size
  Put16Le(out, pe32Plus ? 0x22 : 0x102);         // executable, large addresses or 32-bit

  const size_t optional = out.size();
  out.resize(optional + directories + 16 * 8, 0);
  Set16(out, optional, pe32Plus ? 0x20B : 0x10B);
  Set32(out, optional + directories - 4, 16);  // data directory count
  Set32(out, optional + directories + 2 * 8, kProgramResourceRva);
  Set32(out, optional + directories + 2 * 8 + 4, uint32_t(section.size()));

  PutSection(out, ".text", 0x200, 0x1000, 0x200, 0x200);
  PutSection(out, ".rsrc", uint32_t(section.size()), kProgramResourceRva, rawSize,
             uint32_t(kProgramResourceAt));
  out.resize(kProgramResourceAt, 0);
  out.insert(out.end(), section.begin(), section.end());
  out.resize(kProgramResourceAt + rawSize, 0);
  return out;
}

std::vector<uint8_t> WriteIconGroup(const std::vector<TIcoImage>& images, uint16_t firstId) {
  std::vector<uint8_t> out;
  Put16Le(out, 0);
  Put16Le(out, 1);
  Put16Le(out, uint32_t(images.size()));
  uint16_t id = firstId;
  for (const TIcoImage& image : images) {
    out.insert(out.end(), {uint8_t(image.Width), uint8_t(image.Height), image.ColourCount, 0});
    Put16Le(out, 1);
    Put16Le(out, uint32_t(image.BitCount));
    Put32Le(out, uint32_t(image.Bytes.size()));
    Put16Le(out, id++);
  }
  return out;
}

std::vector<TResource> IconResources(const std::vector<TIcoImage>& images, uint32_t groupId) {
  std::vector<TResource> out;
  for (size_t i = 0; i < images.size(); ++i) out.push_back({3, uint32_t(i + 1), {}, images[i].Bytes});
  out.push_back({14, groupId, {}, WriteIconGroup(images, 1)});
  return out;
}

TIcoImage PatternIconImage(int width, int height, int bitCount) {
  TBmpRecipe recipe{width, height, 40, bitCount};
  std::vector<uint8_t> mask;
  if (bitCount <= 8)
    for (int i = 0; i < (1 << bitCount); ++i) recipe.Palette.push_back(PatternArgb(i, i + 3) & 0xFFFFFF);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = PatternArgb(x, y);
      recipe.Values.push_back(bitCount <= 8 ? uint32_t(x + 3 * y) % (1u << bitCount)
                              : bitCount == 24 ? argb & 0xFFFFFF
                                               : argb | uint32_t((x * 40 + y * 9) & 0xFF) << 24);
      mask.push_back((x + y) % 3 == 0);
    }
  return {width, height, bitCount, WriteIconBitmap(recipe, mask),
          uint8_t(bitCount <= 8 ? (1 << bitCount) & 0xFF : 0)};
}

TIcoImage PngIconImage(int width, int height) {
  TPngRecipe recipe{width, height, TPngColour::pcRgba, 8};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = PatternArgb(x, y);
      recipe.Samples.insert(recipe.Samples.end(), {uint16_t(argb >> 16 & 0xFF), uint16_t(argb >> 8 & 0xFF),
                                                   uint16_t(argb & 0xFF), uint16_t((x * 40 + y * 9) & 0xFF)});
    }
  return {width, height, 32, WritePng(recipe)};
}

std::vector<TNamedFile> IcoSeedFiles() {
  return {
      {"three-depths.ico",
       WriteIco({PatternIconImage(16, 16, 4), PatternIconImage(32, 32, 32), PngIconImage(48, 48)})},
      {"mono.ico", WriteIco({PatternIconImage(9, 5, 1)})},
      {"palette8-and-rgb24.ico", WriteIco({PatternIconImage(8, 8, 8), PatternIconImage(6, 7, 24)})},
      {"png.ico", WriteIco({PngIconImage(5, 4)})},
  };
}

std::vector<TNamedFile> ProgramSeedFiles() {
  const std::vector<TIcoImage> images = {PatternIconImage(16, 16, 8), PngIconImage(24, 24)};
  return {
      {"icon32.exe", WriteProgram(false, IconResources(images))},
      {"icon64.dll", WriteProgram(true, IconResources({PatternIconImage(8, 8, 32)}))},
  };
}

}  // namespace fixtures
