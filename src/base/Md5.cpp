#include "base/Md5.h"

#include <bit>
#include <algorithm>
#include <cstring>

namespace base {

namespace {

// The per-step additive constants: the integer part of 2^32 * |sin(i + 1)|.
constexpr std::array<uint32_t, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left rotations: four per round, repeated over its sixteen steps.
constexpr std::array<int, 16> kShift = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

uint32_t LoadLittleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

TMd5::TMd5() : FState{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void TMd5::Transform(const uint8_t* block) {
  uint32_t words[16];
  for (int i = 0; i < 16; ++i) words[i] = LoadLittleEndian32(block + 4 * i);
  uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];
  for (int step = 0; step < 64; ++step) {
    const int round = step / 16;
    uint32_t mixed;
    int word;
    switch (round) {
      case 0:
        mixed = (b & c) | (~b & d);
        word = step;
        break;
      case 1:
        mixed = (d & b) | (~d & c);
        word = (5 * step + 1) % 16;
        break;
      case 2:
        mixed = b ^ c ^ d;
        word = (3 * step + 5) % 16;
        break;
      default:
        mixed = c ^ (b | ~d);
        word = (7 * step) % 16;
        break;
    }
    const uint32_t sum = a + mixed + kSine[size_t(step)] + words[word];
    a = d;
    d = c;
    c = b;
    b += std::rotl(sum, kShift[size_t(round * 4 + step % 4)]);
  }
  FState[0] += a;
  FState[1] += b;
  FState[2] += c;
  FState[3] += d;
}

void TMd5::Add(std::string_view bytes) {
  size_t filled = size_t(FLength % 64);
  FLength += bytes.size();
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t left = bytes.size();
  if (filled > 0) {
    const size_t take = std::min(left, 64 - filled);
    std::memcpy(FBlock.data() + filled, p, take);
    p += take;
    left -= take;
    if (filled + take < 64) return;
    Transform(FBlock.data());
  }
  for (; left >= 64; p += 64, left -= 64) Transform(p);
  std::memcpy(FBlock.data(), p, left);
}

std::array<uint8_t, 16> TMd5::Finish() {
  const uint64_t bits = FLength * 8;
  // A one bit, zeros up to 56 bytes into a block, then the length in bits, low byte first.
  static constexpr uint8_t kPadding[64] = {0x80};
  const size_t filled = size_t(FLength % 64);
  Add(std::string_view(reinterpret_cast<const char*>(kPadding), filled < 56 ? 56 - filled : 120 - filled));
  uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = uint8_t(bits >> (8 * i));
  Add(std::string_view(reinterpret_cast<const char*>(length), 8));
  std::array<uint8_t, 16> digest;
  for (int i = 0; i < 16; ++i) digest[size_t(i)] = uint8_t(FState[size_t(i / 4)] >> (8 * (i % 4)));
  return digest;
}

std::string DigestHex(const std::array<uint8_t, 16>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(32);
  for (uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string Md5Hex(std::string_view bytes) {
  TMd5 md5;
  md5.Add(bytes);
  return DigestHex(md5.Finish());
}

}  // namespace base
