#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/tests/change_faults.h"
#include "engine/tests/engine_fixture.h"
#include "sections/replace_text_section.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// One template through a section with the symbols NAME=World and DIR=C:\Data\.
struct TemplateFixture {
  explicit TemplateFixture(const std::string& in)
      : f("[ProductInstall.Symbols]\r\nNAME=World\r\nDIR=C:\\Data\\\r\n[T]\r\nFileCount=2\r\n"
          "File1.Source=%SRC%\r\nFile1.Output=%OUT%\r\nFile2.Source=only a source\r\n"),
        record(f.engine.get()), section(f.engine.get()), source(f.folder + "\\in.tpl") {
    if (!in.empty()) WriteFileBytes(source, in);
    SetOutput(f.folder + "\\out.txt");
  }
  void SetOutput(const std::string& path) {
    output = path;
    f.engine->SetSymbol("SRC", source);
    f.engine->SetSymbol("OUT", output);
  }
  std::string Output() const {
    std::string bytes = "(missing)";
    ReadFileBytes(output, bytes);
    return bytes;
  }

  testing_support::EngineFixture f;
  CHFS_InstallRecord record;
  CHFS_ReplaceTextSection section;
  std::string source, output;
};

TEST(ReplaceTextSectionTest, WritesTheSubstitutedTextByteForByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"Hi %NAME%, %NAME%! %UNKNOWN% 100%", "Hi World, World! %UNKNOWN% 100%"},
      {"a=%NAME%\r\nb\nc\r\n\r\n", "a=World\r\nb\nc\r\n\r\n"},
      {"path=%DIR%\\bin\r\n", "path=C:\\Data\\bin\r\n"},
      {std::string("before %NAME%\0after", 19), "before World"},
      {"caf\xe9 %NAME% \xff", "caf\xe9 World \xff"},
      {std::string("\0tail", 5), ""},
      {"\"%NAME%\",\"x\"", "\"World\",\"x\""},
  };
  for (const auto& c : cases) {
    TemplateFixture t(c.first);
    EXPECT_EQ(t.section.Run("T", t.record), 0) << c.first;
    EXPECT_EQ(t.Output(), c.second);
    EXPECT_TRUE(t.f.reporter.Logged("Replace symboles in TXT file Success! ret=0"));
  }
}

TEST(ReplaceTextSectionTest, AMissingSourceFailsWithCodeTwoAndWritesNothing) {
  TemplateFixture t("");
  EXPECT_EQ(t.section.Run("T", t.record), -1);
  EXPECT_TRUE(t.f.reporter.Logged("Replace symboles in TXT file Failed! ret=2"));
  EXPECT_TRUE(t.f.reporter.Logged("EventHandler('File1.Error.',OldRet=-1)"));
  EXPECT_EQ(t.Output(), "(missing)");
}

TEST(ReplaceTextSectionTest, SourceAndOutputMayBeOneFileAndAnEmptySourceGivesAnEmptyOutput) {
  TemplateFixture t("in place: %NAME%");
  t.SetOutput(t.source);
  EXPECT_EQ(t.section.Run("T", t.record), 0);
  EXPECT_EQ(t.Output(), "in place: World");

  TemplateFixture empty("");
  WriteFileBytes(empty.source, "");
  WriteFileBytes(empty.output, "old");
  EXPECT_EQ(empty.section.Run("T", empty.record), 0);
  EXPECT_EQ(empty.Output(), "");
}

// A 50 MB template with 5,000 references comes out whole. (Its speed is
// measured in bench/bench_template.cpp; a quadratic substitution would not
// finish within the test's time limit.)
TEST(ReplaceTextSectionTest, ALargeTemplateComesOutWhole) {
  std::string line = std::string(10000, 'x') + "%NAME%\r\n", in, out;
  for (int i = 0; i < 5000; ++i) in += line;
  const std::string done = std::string(10000, 'x') + "World\r\n";
  for (int i = 0; i < 5000; ++i) out += done;
  TemplateFixture t(in);
  EXPECT_EQ(t.section.Run("T", t.record), 0);
  EXPECT_TRUE(t.Output() == out) << "output of " << t.Output().size() << " bytes";
}

// An output is the old file or the whole new one: with each change call of
// the write refused in turn, it is one or the other, and nothing else is
// left beside it.
TEST(ReplaceTextSectionTest, OutputIsTheOldFileOrTheWholeNewOne) {
  TemplateFixture t(std::string(200000, 'a') + "%NAME%");
  const std::string whole = std::string(200000, 'a') + "World";
  int kept = 0;
  for (int n = 1; n <= 4; ++n) {
    WriteFileBytes(t.output, "old output");
    testing_support::FailChangeCall(n);
    (void)t.section.Run("T", t.record);
    testing_support::FailChangeCall(0);
    const std::string now = t.Output();
    kept += now == "old output" ? 1 : 0;
    EXPECT_TRUE(now == "old output" || now == whole) << "change " << n << ": " << now.size();
    EXPECT_EQ(testing_support::FileNamesIn(t.f.folder),
              (std::set<std::string>{"HotFix.ini", "in.tpl", "out.txt"})) << n;
  }
  EXPECT_EQ(2, kept) << "the write and the move can each fail";
}

}  // namespace
