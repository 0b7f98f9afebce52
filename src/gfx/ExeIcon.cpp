#include "gfx/ExeIcon.h"

#include <optional>
#include <string>
#include <vector>

#include "gfx/IcoCodec.h"
#include "gfx/LittleEndian.h"

namespace gfx {

namespace {

constexpr uint32_t kRtIcon = 3;
constexpr uint32_t kRtGroupIcon = 14;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectory = 2;  // index among the optional header's data directories
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kResourceDirHeaderSize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr size_t kResourceDataEntrySize = 16;
constexpr size_t kGroupHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr uint32_t kHighBit = 0x80000000u;

TPictureResult Problem(TPictureError error, const std::string& message) {
  return PictureFailure(error, message);
}

struct TSection {
  uint32_t VirtualAddress = 0;
  uint32_t RawSize = 0;
  uint32_t RawOffset = 0;
};

// The parts of the program the icon lookup needs: its sections and where the resources begin.
class TProgram {
 public:
  TProgram(const uint8_t* data, size_t size) : FData(data), FSize(size) {}

  TPictureResult ReadHeaders();

  // The bytes at [Rva, Rva + Length) when they lie in one section's data within the file.
  const uint8_t* Map(uint64_t rva, uint64_t length) const;
  uint32_t ResourceRva() const { return FResourceRva; }

 private:
  TPictureResult ReadOptionalHeader(size_t at, size_t size);

  const uint8_t* FData;
  size_t FSize;
  std::vector<TSection> FSections;
  uint32_t FResourceRva = 0;
};

TPictureResult TProgram::ReadHeaders() {
  if (FSize < 0x40 || FData[0] != 'M' || FData[1] != 'Z')
    return Problem(TPictureError::peUnsupported, "not a Windows program");
  const uint64_t pe = Read32Le(FData + 0x3C);
  if (pe + 4 > FSize || Read32Le(FData + pe) != 0x00004550)  // "PE\0\0"
    return Problem(TPictureError::peUnsupported, "no Windows program header");
  const size_t coff = size_t(pe) + 4;
  if (FSize - coff < kCoffHeaderSize)
    return Problem(TPictureError::peTruncated, "program header cut short");
  const size_t sectionCount = Read16Le(FData + coff + 2);
  const size_t optionalSize = Read16Le(FData + coff + 16);
  const size_t optional = coff + kCoffHeaderSize;
  if (FSize - optional < optionalSize)
    return Problem(TPictureError::peTruncated, "optional header cut short");
  if (TPictureResult r = ReadOptionalHeader(optional, optionalSize); !r) return r;

  const size_t table = optional + optionalSize;
  if ((FSize - table) / kSectionHeaderSize < sectionCount)
    return Problem(TPictureError::peTruncated, "section table cut short");
  for (size_t i = 0; i < sectionCount; ++i) {
    const uint8_t* s = FData + table + i * kSectionHeaderSize;
    FSections.push_back({Read32Le(s + 12), Read32Le(s + 16), Read32Le(s + 20)});
  }
  return {};
}

TPictureResult TProgram::ReadOptionalHeader(size_t at, size_t size) {
  if (size < 2) return Problem(TPictureError::peUnsupported, "no optional header");
  const uint16_t magic = Read16Le(FData + at);
  if (magic != kPe32Magic && magic != kPe32PlusMagic)
    return Problem(TPictureError::peUnsupported, "unknown optional header " + std::to_string(magic));
  // The data directories follow the fixed fields, which are longer in 64-bit programs.
  const size_t countAt = magic == kPe32Magic ? 92 : 108;
  const size_t directories = countAt + 4;
  if (size < directories) return Problem(TPictureError::peCorrupt, "optional header too short");
  const uint32_t count = Read32Le(FData + at + countAt);
  const size_t entry = directories + kResourceDirectory * 8;
  if (count <= kResourceDirectory || size < entry + 8)
    return Problem(TPictureError::peUnsupported, "no resources");
  FResourceRva = Read32Le(FData + at + entry);
  if (FResourceRva == 0 || Read32Le(FData + at + entry + 4) == 0)
    return Problem(TPictureError::peUnsupported, "no resources");
  return {};
}

const uint8_t* TProgram::Map(uint64_t rva, uint64_t length) const {
  for (const TSection& s : FSections) {
    if (rva < s.VirtualAddress) continue;
    const uint64_t into = rva - s.VirtualAddress;
    if (into > s.RawSize || s.RawSize - into < length) continue;
    const uint64_t offset = uint64_t(s.RawOffset) + into;
    if (offset > FSize || FSize - offset < length) return nullptr;
    return FData + offset;
  }
  return nullptr;
}

// One entry of a resource directory: a name or id, and a subdirectory or a data entry.
struct TResourceEntry {
  bool Named = false;
  uint32_t Id = 0;
  bool Directory = false;
  uint32_t Offset = 0;  // from the start of the resources
};

// A resource directory's entries, named ones first as stored.
TPictureResult ReadResourceDirectory(const TProgram& program, uint32_t offset,
                                     std::vector<TResourceEntry>& entries) {
  const uint64_t rva = uint64_t(program.ResourceRva()) + offset;
  const uint8_t* header = program.Map(rva, kResourceDirHeaderSize);
  if (!header) return Problem(TPictureError::peCorrupt, "resource directory outside the program");
  const size_t count = size_t(Read16Le(header + 12)) + Read16Le(header + 14);
  const uint8_t* list = program.Map(rva + kResourceDirHeaderSize, count * kResourceEntrySize);
  if (!list) return Problem(TPictureError::peCorrupt, "resource entries outside the program");
  entries.clear();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = list + i * kResourceEntrySize;
    const uint32_t name = Read32Le(e), target = Read32Le(e + 4);
    entries.push_back({(name & kHighBit) != 0, name & ~kHighBit, (target & kHighBit) != 0,
                       target & ~kHighBit});
  }
  return {};
}

// The data of the resource under Entry: its first language's data entry.
TPictureResult ReadResourceData(const TProgram& program, const TResourceEntry& entry,
                                const uint8_t*& data, size_t& size) {
  if (!entry.Directory) return Problem(TPictureError::peCorrupt, "resource without languages");
  std::vector<TResourceEntry> languages;
  if (TPictureResult r = ReadResourceDirectory(program, entry.Offset, languages); !r) return r;
  if (languages.empty()) return Problem(TPictureError::peCorrupt, "resource without languages");
  // The third level holds data entries only; a directory here would lead deeper.
  if (languages[0].Directory)
    return Problem(TPictureError::peCorrupt, "resource tree deeper than three levels");
  const uint8_t* leaf = program.Map(uint64_t(program.ResourceRva()) + languages[0].Offset,
                                    kResourceDataEntrySize);
  if (!leaf) return Problem(TPictureError::peCorrupt, "resource data entry outside the program");
  size = Read32Le(leaf + 4);
  data = program.Map(Read32Le(leaf), size);
  if (!data || size == 0) return Problem(TPictureError::peCorrupt, "resource data outside the program");
  return {};
}

// The subdirectory of the root for a resource type, if there is one.
std::optional<TResourceEntry> FindEntry(const std::vector<TResourceEntry>& entries, uint32_t id) {
  for (const TResourceEntry& e : entries)
    if (!e.Named && e.Id == id) return e;
  return std::nullopt;
}

// The names of a type's resources, in the second level under the root entry for the type.
TPictureResult ReadTypeDirectory(const TProgram& program, const std::vector<TResourceEntry>& root,
                                 uint32_t type, std::vector<TResourceEntry>& names) {
  const std::optional<TResourceEntry> entry = FindEntry(root, type);
  if (!entry || !entry->Directory) {
    names.clear();
    return {};
  }
  return ReadResourceDirectory(program, entry->Offset, names);
}

// The icon group's entries, each with the id of its image among the icons.
TPictureResult ReadGroup(const uint8_t* data, size_t size, std::vector<TIconEntry>& entries,
                         std::vector<uint16_t>& ids) {
  if (size < kGroupHeaderSize) return Problem(TPictureError::peCorrupt, "icon group cut short");
  if (Read16Le(data) != 0 || Read16Le(data + 2) != 1)
    return Problem(TPictureError::peCorrupt, "not an icon group");
  const size_t count = Read16Le(data + 4);
  if (count == 0) return Problem(TPictureError::peCorrupt, "empty icon group");
  if ((size - kGroupHeaderSize) / kGroupEntrySize < count)
    return Problem(TPictureError::peCorrupt, "icon group cut short");
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + kGroupHeaderSize + i * kGroupEntrySize;
    entries.push_back(IconEntryOf(e[0], e[1], e[2], Read16Le(e + 6)));
    ids.push_back(Read16Le(e + 12));
  }
  return {};
}

TPictureResult FindIcon(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                        const uint8_t*& image, size_t& imageSize) {
  TProgram program(data, size);
  if (TPictureResult r = program.ReadHeaders(); !r) return r;
  std::vector<TResourceEntry> root, groups, icons;
  if (TPictureResult r = ReadResourceDirectory(program, 0, root); !r) return r;
  if (TPictureResult r = ReadTypeDirectory(program, root, kRtGroupIcon, groups); !r) return r;
  if (groups.empty()) return Problem(TPictureError::peUnsupported, "no icon");

  const uint8_t* group = nullptr;
  size_t groupSize = 0;
  if (TPictureResult r = ReadResourceData(program, groups[0], group, groupSize); !r) return r;
  std::vector<TIconEntry> entries;
  std::vector<uint16_t> ids;
  if (TPictureResult r = ReadGroup(group, groupSize, entries, ids); !r) return r;
  const uint16_t id = ids[size_t(ChooseIconEntry(entries, wantWidth, wantHeight))];

  if (TPictureResult r = ReadTypeDirectory(program, root, kRtIcon, icons); !r) return r;
  const std::optional<TResourceEntry> icon = FindEntry(icons, id);
  if (!icon) return Problem(TPictureError::peCorrupt, "icon image " + std::to_string(id) + " missing");
  return ReadResourceData(program, *icon, image, imageSize);
}

}  // namespace

TPictureResult DecodeExeIcon(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                             TBitmap32& bitmap, const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  const uint8_t* image = nullptr;
  size_t imageSize = 0;
  TPictureResult result = FindIcon(data, size, wantWidth, wantHeight, image, imageSize);
  if (result) result = DecodeIconImage(image, imageSize, bitmap, limits);
  if (!result) {
    bitmap.SetSize(0, 0);
    result.Message = "program icon: " + result.Message;
  }
  return result;
}

}  // namespace gfx
