// Profile (INI) reads and writes as both backends must give them: the real
// API under Wine and the sandbox's own parser on POSIX.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/errors.h"
#include "os/profile.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::NewTestFolder;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const char kSample[] =
    "; leading comment\r\n"
    "[Main]\r\n"
    "plain=value\r\n"
    "  spaced  =   padded value   \r\n"
    "dq=\"quoted value\"\r\n"
    "sq='single'\r\n"
    "inner=a \"b\" c\r\n"
    "half=\"open\r\n"
    "bare=\"\"\r\n"
    "empty=\r\n"
    "noequals\r\n"
    "; comment=inside\r\n"
    "dup=first\r\n"
    "Dup=second\r\n"
    "\r\n"
    "[other]\r\n"
    "key=other\r\n"
    "[MAIN]\r\n"
    "late=second section\r\n"
    "plain=shadowed\r\n";

std::string SampleFile() {
  std::string path = NewTestFolder() + "\\sample.ini";
  EXPECT_TRUE(WriteFileBytes(path, kSample));
  return path;
}

struct KeyCase {
  const char* section;
  const char* key;
  const char* expected;
};

TEST(ProfileRead, KeysFollowTheApiRules) {
  const std::string path = SampleFile();
  const KeyCase cases[] = {
      {"Main", "plain", "value"},
      {"main", "PLAIN", "value"},              // names match without regard to case
      {"Main", "spaced", "padded value"},      // blanks around key and value dropped
      {"Main", "dq", "quoted value"},          // one pair of quotes removed
      {"Main", "sq", "single"},                // single quotes too
      {"Main", "inner", "a \"b\" c"},          // quotes inside stay
      {"Main", "half", "\"open"},              // an unmatched quote stays
      {"Main", "bare", ""},                    // "" is an empty value
      {"Main", "empty", ""},
      {"Main", "noequals", "(default)"},       // a line without '=' is no key
      {"Main", "dup", "first"},                // the first of duplicate keys wins
      {"Main", "late", "(default)"},           // only the first [Main] counts
      {"other", "key", "other"},
      {"missing", "key", "(default)"},
      {"Main", "missing", "(default)"},
      {"  Main ", " plain ", "value"},         // blanks around the caller's names too
  };
  for (const KeyCase& c : cases) {
    std::string value = "unchanged";
    unsigned long n = os::GetProfileString(path, c.section, c.key, "(default)", value);
    EXPECT_EQ(value, c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(n, value.size()) << c.section << "/" << c.key;
  }
}

TEST(ProfileRead, MissingFileGivesTheDefaultWithTrailingBlanksDropped) {
  std::string value;
  std::string path = NewTestFolder() + "\\absent.ini";
  EXPECT_EQ(os::GetProfileString(path, "s", "k", "(empty)", value), 7u);
  EXPECT_EQ(value, "(empty)");
  EXPECT_EQ(os::GetProfileString(path, "s", "k", " one two  ", value), 8u);
  EXPECT_EQ(value, " one two");
}

TEST(ProfileRead, ValueIsCutToTheBuffer) {
  std::string path = NewTestFolder() + "\\long.ini";
  std::string longValue(5000, 'x');
  longValue[4094] = 'y';
  ASSERT_TRUE(WriteFileBytes(path, "[s]\r\nlong=" + longValue + "\r\nshort=val1\r\n"));
  std::string value;
  EXPECT_EQ(os::GetProfileString(path, "s", "long", "", value), 4095u);
  EXPECT_EQ(value, longValue.substr(0, 4095));
  EXPECT_EQ(os::GetProfileString(path, "s", "short", "", value, 4), 3u);
  EXPECT_EQ(value, "val");
  EXPECT_EQ(os::GetProfileString(path, "s", "short", "", value, 5), 4u);
  EXPECT_EQ(value, "val1");
  EXPECT_EQ(os::GetProfileString(path, "s", "short", "", value, 1), 0u);
  EXPECT_EQ(os::GetProfileString(path, "s", "nokey", "default", value, 4), 3u);
  EXPECT_EQ(value, "def");
}

TEST(ProfileRead, LineEndsOfEveryKind) {
  const char* const files[] = {"[s]\r\na=1\r\nb=2\r\n", "[s]\na=1\nb=2", "[s]\ra=1\rb=2\r"};
  for (const char* content : files) {
    std::string path = NewTestFolder() + "\\ends.ini";
    ASSERT_TRUE(WriteFileBytes(path, content));
    std::string value;
    os::GetProfileString(path, "s", "a", "", value);
    EXPECT_EQ(value, "1");
    os::GetProfileString(path, "s", "b", "", value);
    EXPECT_EQ(value, "2");
  }
}

TEST(ProfileRead, BareFileNameIsLookedUpInTheWindowsFolder) {
  std::string value;
  std::string folder = NewTestFolder();
  std::string name = "brvprof_" + folder.substr(folder.rfind('\\') + 1) + ".ini";
  ASSERT_TRUE(os::WriteProfileString(name, "s", "k", "in windows"));
  EXPECT_EQ(os::GetProfileString(name, "s", "k", "", value), 10u);
  EXPECT_EQ(value, "in windows");
  ASSERT_TRUE(os::WriteProfileString(name, "s", nullptr, nullptr));
}

TEST(ProfileSection, LinesComeInFileOrderWithQuotesKept) {
  std::vector<std::string> expected = {
      "plain=value", "spaced=padded value", "dq=\"quoted value\"", "sq='single'",
      "inner=a \"b\" c", "half=\"open", "bare=\"\"", "empty=", "noequals",
      "dup=first", "Dup=second"};
  EXPECT_EQ(os::GetProfileSection(SampleFile(), "MAIN"), expected);
}

TEST(ProfileSection, MissingSectionOrFileIsEmpty) {
  std::string path = SampleFile();
  EXPECT_TRUE(os::GetProfileSection(path, "nothere").empty());
  EXPECT_TRUE(os::GetProfileSection(NewTestFolder() + "\\none.ini", "Main").empty());
  std::string raw = "x";
  EXPECT_EQ(os::GetProfileSectionBuffer(path, "nothere", raw, 100), 0u);
}

TEST(ProfileSection, BufferReportsSizeMinusTwoWhenCut) {
  std::string path = NewTestFolder() + "\\sect.ini";
  ASSERT_TRUE(WriteFileBytes(path,
      "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n"));
  std::string raw;
  EXPECT_EQ(os::GetProfileSectionBuffer(path, "section1", raw, 100), 35u);
  EXPECT_EQ(raw, std::string("name1=val1\0name2=\0name3\0name4=val4\0", 35));
  EXPECT_EQ(os::GetProfileSectionBuffer(path, "section1", raw, 24), 22u);
  EXPECT_EQ(raw.substr(0, 22), std::string("name1=val1\0name2=\0name", 22));
  EXPECT_EQ(os::GetProfileSectionBuffer(path, "section2", raw, 100), 0u);
}

TEST(ProfileSection, LargeSectionIsReadWhole) {
  std::string path = NewTestFolder() + "\\big.ini";
  std::string content = "[big]\r\n";
  for (int i = 0; i < 3000; ++i) content += "Key" + std::to_string(i) + "=Value number " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(WriteFileBytes(path, content));
  std::vector<std::string> lines = os::GetProfileSection(path, "big");
  ASSERT_EQ(lines.size(), 3000u);
  EXPECT_EQ(lines.back(), "Key2999=Value number 2999");
}

TEST(ProfileWrite, SetsAddsAndDeletes) {
  std::string path = NewTestFolder() + "\\w.ini";
  ASSERT_TRUE(os::WriteProfileString(path, "App1", "key1", "string1"));
  ASSERT_TRUE(os::WriteProfileString(path, "App1", "key2", "string2"));
  ASSERT_TRUE(os::WriteProfileString(path, "App2", "key3", "string3"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey3=string3\r\n");

  ASSERT_TRUE(os::WriteProfileString(path, "app1", "KEY1", "changed"));
  ASSERT_TRUE(os::WriteProfileString(path, "App1", "key2", nullptr));
  ASSERT_TRUE(os::WriteProfileString(path, "App1", "key2", nullptr));  // already gone: still fine
  ASSERT_TRUE(os::WriteProfileString(path, "App2", nullptr, nullptr));
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "[App1]\r\nkey1=changed\r\n");
}

TEST(ProfileWrite, EmptyValueIsKeptAndQuotesReadBackEmpty) {
  std::string path = NewTestFolder() + "\\e.ini";
  ASSERT_TRUE(os::WriteProfileString(path, "Symbols", "Value.1", "\"\""));
  ASSERT_TRUE(os::WriteProfileString(path, "Symbols", "Value.2", ""));
  std::string value = "x";
  EXPECT_EQ(os::GetProfileString(path, "Symbols", "Value.1", "(empty)", value), 0u);
  EXPECT_EQ(value, "");
  EXPECT_EQ(os::GetProfileString(path, "Symbols", "Value.2", "(empty)", value), 0u);
  EXPECT_EQ(os::GetProfileSection(path, "Symbols"),
            (std::vector<std::string>{"Value.1=\"\"", "Value.2="}));
}

TEST(ProfileWrite, FailsWhereTheFolderIsMissing) {
  std::string path = NewTestFolder() + "\\no\\such\\folder\\x.ini";
  os::SetLastError(0);
  EXPECT_FALSE(os::WriteProfileString(path, "s", "k", "v"));
  EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorPathNotFound));
}

}  // namespace
