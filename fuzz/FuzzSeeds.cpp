// Writes the seed corpus: the fixture files of each format into FOLDER/png, FOLDER/jpeg and
// FOLDER/bmp, all of them into FOLDER/pictureformat, icon files and programs with icons into
// FOLDER/ico and FOLDER/exeicon, JPEG files and bare headers into FOLDER/jpegheader, and typical
// texts of the system's formats for the text parsers' targets.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "IconFixtures.h"
#include "PictureFixtures.h"

namespace {

struct TTextSeeds {
  const char* Folder;
  std::initializer_list<std::string_view> Texts;
};

using namespace std::string_view_literals;

const TTextSeeds kTextSeeds[] = {
    {"volumes",
     {"29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n",
      "55 29 8:65 / /media/ann/My\\040Stick\\011x rw shared:9 master:2 - exfat /dev/sdf1 rw\n",
      "47 29 0:50 / /mnt/share rw,noatime - nfs4 srv:/a\\134b rw,vers=4.2\n",
      "49 29 0:52 / /home/ann/remote rw - fuse.sshfs ann@host:/ rw\n",
      "44 29 11:0 / /media/ann/DISC ro - iso9660 /dev/sr0 ro\n",
      "My\\x20Stick\\x2fA", "BACKUP"}},
    {"trashinfo",
     {"[Trash Info]\nPath=/home/ann/r%C3%A9sum%C3%A9%20%231%25.txt\nDeletionDate=2024-01-02T03:04:05\n",
      "[Trash Info]\nDeletionDate=2024-01-02T03:04:05\nPath=/a%0Ab\n",
      "/home/ann/plain.txt\0tail after the record"sv}},
    {"clipboard",
     {"copy\nfile:///home/ann/a.txt\nfile:///home/ann/b%20c",
      "cut\nfile:///home/ann/cut.txt\n",
      "# a comment\r\nfile:///home/ann/a.txt\r\nhttps://example.org/\r\nfile:///r%C3%A9sum%C3%A9\r\n",
      "home/ann/one\0tmp/two\0"sv}},
    {"utf8",
     {"plain ASCII", "\xC3\xA9t\xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x93\x81",
      "\xE0\x80\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xC0\xAF \xFF", "cut short \xE2\x82",
      "a\0b"sv}},
};

bool WriteSeed(const std::filesystem::path& folder, const std::string& name, std::string_view bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out || bytes.empty()) {
    std::fprintf(stderr, "cannot write seed %s\n", name.c_str());
    return false;
  }
  return true;
}

bool WriteSeeds(const std::filesystem::path& folder, const std::vector<fixtures::TNamedFile>& seeds) {
  for (const fixtures::TNamedFile& seed : seeds) {
    const std::string_view bytes(reinterpret_cast<const char*>(seed.Bytes.data()), seed.Bytes.size());
    if (!WriteSeed(folder, seed.Name, bytes)) return false;
  }
  return true;
}

// The JPEG fixtures, and headers alone: a bare frame, and one behind fill bytes and a segment.
std::vector<fixtures::TNamedFile> JpegHeaderSeeds() {
  std::vector<fixtures::TNamedFile> seeds = fixtures::SeedFiles(gfx::TPictureFormat::pfJpeg);
  seeds.push_back({"header-only.jpg", fixtures::JpegHeaderOnly(640, 480)});
  std::vector<uint8_t> padded = {0xFF, 0xD8, 0xFF, 0xFF, 0xFE, 0x00, 0x04, 'h', 'i', 0xFF, 0xD0};
  const std::vector<uint8_t> header = fixtures::JpegHeaderOnly(3, 2);
  padded.insert(padded.end(), header.begin() + 2, header.end());
  seeds.push_back({"fill-and-comment.jpg", padded});
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const struct {
    const char* Folder;
    gfx::TPictureFormat Format;
  } formats[] = {{"png", gfx::TPictureFormat::pfPng},
                 {"jpeg", gfx::TPictureFormat::pfJpeg},
                 {"bmp", gfx::TPictureFormat::pfBmp}};
  for (const auto& f : formats) {
    for (const char* target : {f.Folder, "pictureformat"}) {
      const std::filesystem::path folder = std::filesystem::path(argv[1]) / target;
      for (const fixtures::TNamedFile& seed : fixtures::SeedFiles(f.Format)) {
        const std::string_view bytes(reinterpret_cast<const char*>(seed.Bytes.data()),
                                     seed.Bytes.size());
        if (!WriteSeed(folder, seed.Name, bytes)) return 1;
      }
    }
  }
  const std::filesystem::path root(argv[1]);
  if (!WriteSeeds(root / "ico", fixtures::IcoSeedFiles()) ||
      !WriteSeeds(root / "exeicon", fixtures::ProgramSeedFiles()) ||
      !WriteSeeds(root / "jpegheader", JpegHeaderSeeds()))
    return 1;
  for (const TTextSeeds& seeds : kTextSeeds) {
    int n = 0;
    for (std::string_view text : seeds.Texts)
      if (!WriteSeed(std::filesystem::path(argv[1]) / seeds.Folder, "text" + std::to_string(++n), text))
        return 1;
  }
  return 0;
}
