#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/FileUri.h"

using base::FileUriOf;
using base::PathOfFileUri;

namespace {

struct TUriCase {
  std::string Path;
  const char* Uri;
};

// What every program that shares thumbnails must produce, byte for byte.
TEST(FileUriTest, EncodesEveryByteButTheUnreservedOnesAndSlash) {
  const TUriCase cases[] = {
      {"/", "file:///"},
      {"/home/a b/\xC3\xA9.jpg", "file:///home/a%20b/%C3%A9.jpg"},
      {"/x/Az09-._~", "file:///x/Az09-._~"},
      {"/100%/#1?a=b&c;d", "file:///100%25/%231%3Fa%3Db%26c%3Bd"},
      {"/+,!$'()*@:[]", "file:///%2B%2C%21%24%27%28%29%2A%40%3A%5B%5D"},
      {"/latin1-\xE9\xFF", "file:///latin1-%E9%FF"},  // no UTF-8: the bytes as they are
      {"/tab\there\nline\x7F", "file:///tab%09here%0Aline%7F"},
      {"/a//b/", "file:///a//b/"},  // the text is not tidied: it keys what was asked for
  };
  for (const TUriCase& c : cases) {
    EXPECT_EQ(FileUriOf(c.Path), c.Uri);
    EXPECT_EQ(PathOfFileUri(c.Uri), c.Path) << c.Uri;
  }
}

TEST(FileUriTest, EveryByteValueSurvivesTheRoundTrip) {
  std::string path = "/";
  for (int byte = 1; byte < 256; ++byte) path += char(byte);
  const std::string uri = FileUriOf(path);
  EXPECT_EQ(uri.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%:"),
            std::string::npos);
  EXPECT_EQ(PathOfFileUri(uri), path);
}

TEST(FileUriTest, ARelativeOrEmptyPathHasNoUri) {
  EXPECT_EQ(FileUriOf(""), "");
  EXPECT_EQ(FileUriOf("picture.png"), "");
  EXPECT_EQ(FileUriOf("./a"), "");
}

TEST(FileUriTest, ReadsTheLocalFormsAndRefusesTheRest) {
  EXPECT_EQ(PathOfFileUri("file://localhost/a%2fb"), "/a/b");  // lower-case digits read too
  EXPECT_EQ(PathOfFileUri("FILE:///a"), "/a");
  const char* refused[] = {
      "",
      "file:",
      "file://",
      "file:/a",
      "http:///a",
      "file://server/share/a",
      "file:///a%2",
      "file:///a%G0",
      "file:///a%00b",
      "file:///a?query",
      "file:///a#part",
  };
  for (const char* uri : refused) EXPECT_EQ(PathOfFileUri(uri), std::nullopt) << uri;
}

}  // namespace
