#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "../platform/OrdinaryUser.h"
#include "AppFolderFixture.h"
#include "config/NV_Ini.h"

namespace config {
namespace {

const char* const kSample =
    "; leading comment\r\n"
    "orphan=before any section\r\n"
    "[Norvo]\r\n"
    "  Mouse  =   ClickDelay(250), WheelScroll(5)   \r\n"
    "this line is neither\r\n"
    "Empty=\r\n"
    "mouse=second occurrence\r\n"
    "\r\n"
    "[Other]\r\n"
    "Key=value with = inside\r\n"
    "[norvo]\r\n"
    "Late=in a repeated section\r\n";

TEST(Ini, ReadRules) {
  TIniFile ini = TIniFile::FromBytes(kSample);
  struct Case {
    const char* Section;
    const char* Key;
    const char* Expected;
  } cases[] = {
      {"Norvo", "Mouse", "ClickDelay(250), WheelScroll(5)"},  // trimmed; the first occurrence
      {"NORVO", "mOUSE", "ClickDelay(250), WheelScroll(5)"},  // names compare without case
      {"Norvo", "Empty", ""},
      {"Other", "Key", "value with = inside"},
      {"Norvo", "Late", "in a repeated section"},
      {"Norvo", "orphan", "<default>"},  // before any section: in none
      {"Norvo", "this line is neither", "<default>"},
      {"Missing", "Mouse", "<default>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<default>"), c.Expected) << c.Key;

  std::vector<TIniEntry> entries = ini.Entries();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[2].Key, "mouse");
  EXPECT_EQ(entries[2].Value, "second occurrence");
  EXPECT_EQ(entries[4].Section, "norvo");
}

TEST(Ini, BytesComeBackExactly) {
  const std::string cases[] = {
      kSample,
      "[A]\nk=v",                                             // no line end at the end
      "\xEF\xBB\xBF[A]\nk=v\n",                               // UTF-8 with its mark
      std::string("\xFF\xFE[\0A\0]\0\n\0", 10),               // UTF-16 little endian
      std::string("\xFE\xFF\0[\0A\0]\0\r\0\n", 10),           // UTF-16 big endian
      std::string("\xFF\xFE\x00\xD8k\0=\0\x00\xDC", 10),      // lone surrogates
      std::string("\xFF\xFEk\0=\0v", 7),                      // an odd last byte
      "k=\xC0\xAF\xFF\xFE garbage \x01\x02\r\r\n[\n]]\n=\n",  // not UTF-8, odd lines
      std::string("[A]\0\nk\0=v\0\n", 11),
      "",
  };
  for (const std::string& bytes : cases) EXPECT_EQ(TIniFile::FromBytes(bytes).ToBytes(), bytes);
}

TEST(Ini, WriteKeepsEverythingElse) {
  TIniFile ini = TIniFile::FromBytes(kSample);
  ASSERT_TRUE(ini.WriteString("norvo", "MOUSE", "ClickDelay(300)"));
  ASSERT_TRUE(ini.WriteString("Norvo", "New", "1"));
  ASSERT_TRUE(ini.WriteString("Fresh", "K", "v"));
  EXPECT_EQ(ini.ToBytes(),
            "; leading comment\r\n"
            "orphan=before any section\r\n"
            "[Norvo]\r\n"
            "  Mouse  =   ClickDelay(300)\r\n"
            "this line is neither\r\n"
            "Empty=\r\n"
            "mouse=second occurrence\r\n"
            "New=1\r\n"
            "\r\n"
            "[Other]\r\n"
            "Key=value with = inside\r\n"
            "[norvo]\r\n"
            "Late=in a repeated section\r\n"
            "[Fresh]\r\n"
            "K=v\r\n");
}

TEST(Ini, WriteAfterALastLineWithoutEnd) {
  TIniFile ini = TIniFile::FromBytes("[A]\nk=v");
  ASSERT_TRUE(ini.WriteString("A", "n", "w"));
  EXPECT_EQ(ini.ToBytes(), "[A]\nk=v\nn=w\n");
  EXPECT_TRUE(TIniFile().WriteString("S", "k", "v"));
}

TEST(Ini, Utf16StaysUtf16) {
  std::u16string text = u"[Norvo]\r\nName=Grüße 𝄞\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += char(unit & 0xFF);
    bytes += char(unit >> 8);
  }
  TIniFile ini = TIniFile::FromBytes(bytes);
  EXPECT_EQ(ini.Encoding(), TTextEncoding::teUtf16LE);
  EXPECT_EQ(ini.ReadString("Norvo", "Name", ""), "Grüße 𝄞");
  ASSERT_TRUE(ini.WriteString("Norvo", "Name", "Ä"));
  TIniFile back = TIniFile::FromBytes(ini.ToBytes());
  EXPECT_EQ(back.Encoding(), TTextEncoding::teUtf16LE);
  EXPECT_EQ(back.ReadString("Norvo", "Name", ""), "Ä");
  EXPECT_EQ(ini.ToBytes().substr(0, 4), std::string("\xFF\xFE[\0", 4));
}

TEST(Ini, WritesThatWouldNotReadBackAreRefused) {
  const char* const bad[][3] = {{"S", "k", "a\nb"}, {"S", "k", "a\rb"}, {"S\n", "k", "v"},
                                {"S]", "k", "v"},   {"S", "", "v"},     {"S", "  ", "v"},
                                {"S", "a=b", "v"},  {"S", "[k", "v"},   {"S", ";k", "v"}};
  for (const auto& b : bad) {
    TIniFile ini = TIniFile::FromBytes("[S]\nk=old\n");
    EXPECT_FALSE(ini.WriteString(b[0], b[1], b[2])) << b[0] << "/" << b[1] << "/" << b[2];
    EXPECT_EQ(ini.ToBytes(), "[S]\nk=old\n");
  }
}

using IniFiles = testing::AppFolderTest;

TEST_F(IniFiles, WriteNeedsTheFileUnlessAskedToMakeIt) {
  EXPECT_FALSE(IniWriteString(Settings, "Norvo", "K", "v"));
  EXPECT_FALSE(std::filesystem::exists(Settings));
  EXPECT_FALSE(
      IniWriteString(PathOf("NoFolder/x.NVS"), "S", "K", "v", TIniCreate::icInExistingFolder));
  EXPECT_TRUE(
      IniWriteString(PathOf("Data/New.NVS"), "S", "K", "v", TIniCreate::icInExistingFolder));
  EXPECT_EQ(ReadFile("Data/New.NVS"), "[S]\nK=v\n");
  EXPECT_EQ(IniReadString(PathOf("Data/New.NVS"), "s", "k", "d"), "v");
  EXPECT_EQ(IniReadString(PathOf("Data/Gone.NVS"), "s", "k", "d"), "d");
  EXPECT_EQ(IniReadString(PathOf("Data"), "s", "k", "d"), "d");  // a folder is no file
}

TEST_F(IniFiles, ReplaceKeepsPermissionsAndLinks) {
  WriteFile("Data/Real.NVS", "[S]\nK=1\n");
  ASSERT_EQ(chmod(PathOf("Data/Real.NVS").c_str(), 0640), 0);
  std::filesystem::create_symlink("Real.NVS", PathOf("Data/Link.NVS"));
  ASSERT_TRUE(IniWriteString(PathOf("Data/Link.NVS"), "S", "K", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(PathOf("Data/Link.NVS")));
  EXPECT_EQ(ReadFile("Data/Real.NVS"), "[S]\nK=2\n");
  struct stat st;
  ASSERT_EQ(stat(PathOf("Data/Real.NVS").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // Nothing but the two files is left in the folder.
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf("Data")))
    count += entry.path().filename() != "Language";
  EXPECT_EQ(count, 2u);
}

TEST_F(IniFiles, FailedWriteLeavesTheFileAsItWas) {
  const std::string original = "; keep me\n[Norvo]\nMouse=ClickDelay(250)\n";
  WriteFile("Data/Settings.NVS", original);
  // The file-size limit makes the write fail halfway, as a full disk would.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  rlimit oldLimit;
  getrlimit(RLIMIT_FSIZE, &oldLimit);
  rlimit small = oldLimit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = IniWriteString(Settings, "Norvo", "Mouse", std::string(100000, 'x'));
  setrlimit(RLIMIT_FSIZE, &oldLimit);
  sigaction(SIGXFSZ, &old, nullptr);

  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile("Data/Settings.NVS"), original);
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf("Data")))
    count += entry.path().filename() != "Language";
  EXPECT_EQ(count, 1u);  // no temporary file left behind
}

TEST_F(IniFiles, ReadOnlyFileIsNotReplaced) {
  // The folder stays writable: a replacement through a temporary file would succeed there.
  WriteFile("Data/Settings.NVS", "[S]\nK=1\n");
  ASSERT_EQ(chmod(Settings.c_str(), 0444), 0);
  std::string why;
  const bool ran = fstest::RunAsOrdinaryUser(Root, [&] {
    EXPECT_FALSE(IniWriteString(Settings, "S", "K", "2"));
  }, why);
  if (!ran) GTEST_SKIP() << why;
  EXPECT_EQ(ReadFile("Data/Settings.NVS"), "[S]\nK=1\n");
}

}  // namespace
}  // namespace config
