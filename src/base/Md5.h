// The MD5 digest of a byte string (RFC 1321), for naming files after their keys the way other
// programs on the desktop name them. It is no protection against a deliberate collision.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// Digests data given in any number of pieces; Finish ends it (the object is then spent).
class TMd5 {
 public:
  TMd5();
  void Add(std::string_view bytes);
  std::array<uint8_t, 16> Finish();

 private:
  void Transform(const uint8_t* block);

  std::array<uint32_t, 4> FState;
  std::array<uint8_t, 64> FBlock{};
  uint64_t FLength = 0;  // bytes added so far
};

// A digest as 32 lower-case hexadecimal digits.
std::string DigestHex(const std::array<uint8_t, 16>& digest);
// The digest of Bytes in that form.
std::string Md5Hex(std::string_view bytes);

}  // namespace base
