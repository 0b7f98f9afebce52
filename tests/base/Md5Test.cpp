#include <gtest/gtest.h>

#include <string>

#include "base/Md5.h"

namespace {

struct TDigestCase {
  std::string Input;
  const char* Hex;
};

// The test suite of RFC 1321, then lengths around the padding boundaries, where the length
// field either fits after the data or needs a block of its own.
TEST(Md5Test, DigestsTheReferenceVectors) {
  const TDigestCase cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
      {std::string(1000, 'a'), "cabe45dcc9ae5b66ba86600cca6b8ba8"},
  };
  for (const TDigestCase& c : cases)
    EXPECT_EQ(base::Md5Hex(c.Input), c.Hex) << c.Input.size() << " bytes";
}

TEST(Md5Test, PiecesOfAnyLengthGiveTheDigestOfTheWhole) {
  std::string whole;
  for (int i = 0; i < 300; ++i) whole += char(i * 31 + 7);  // every byte value, NUL included
  const std::string expected = base::Md5Hex(whole);
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
    base::TMd5 md5;
    for (size_t at = 0; at < whole.size(); at += piece)
      md5.Add(std::string_view(whole).substr(at, piece));
    EXPECT_EQ(base::DigestHex(md5.Finish()), expected) << "pieces of " << piece;
  }
}

}  // namespace
