// Camera-like JPEG photos written in memory for the picture benchmarks.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>
// clang-format off
#include <cstddef>  // jpeglib.h expects size_t and FILE to be declared before it
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace bench {

// Smooth gradients and a little sensor-like noise, at quality 85 like a typical camera file.
inline std::vector<uint8_t> MakePhoto(int width, int height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  jpeg_start_compress(&info, TRUE);

  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> noise(-6, 6);
  std::vector<double> wave(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) wave[size_t(x)] = std::sin(x * 6.0 / width);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  auto clamp = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
  while (info.next_scanline < info.image_height) {
    const double fy = double(info.next_scanline) / height;
    for (int x = 0; x < width; ++x) {
      const double fx = double(x) / width;
      uint8_t* p = &row[size_t(x) * 3];
      p[0] = clamp(int(60 + 150 * fx + 30 * wave[size_t(x)]) + noise(random));
      p[1] = clamp(int(90 + 120 * fy * (1 - fx)) + noise(random));
      p[2] = clamp(int(200 - 140 * fy + 25 * wave[size_t(x)] * fy) + noise(random));
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> file(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}


// libjpeg's own plain decode at an eighth of the size to RGB, the least work any thumbnailer
// has to do: its defaults with only the scale changed, every scanline read into Pixels.
inline void DecodeEighthWithLibjpeg(const uint8_t* data, size_t size, std::vector<uint8_t>& pixels) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, (unsigned long)size);
  jpeg_read_header(&info, TRUE);
  info.scale_num = 1;
  info.scale_denom = 8;
  jpeg_start_decompress(&info);
  const size_t stride = size_t(info.output_width) * size_t(info.output_components);
  pixels.resize(stride * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW line = pixels.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &line, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
}

}  // namespace bench
