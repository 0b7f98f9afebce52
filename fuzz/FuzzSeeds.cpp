// Writes the seed corpus: the fixture files of each format into FOLDER/png, FOLDER/jpeg and
// FOLDER/bmp.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "PictureFixtures.h"

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
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / f.Folder;
    std::filesystem::create_directories(folder);
    for (const fixtures::TNamedFile& seed : fixtures::SeedFiles(f.Format)) {
      std::ofstream out(folder / seed.Name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(seed.Bytes.data()),
                std::streamsize(seed.Bytes.size()));
      if (!out || seed.Bytes.empty()) {
        std::fprintf(stderr, "cannot write seed %s\n", seed.Name.c_str());
        return 1;
      }
    }
  }
  return 0;
}
