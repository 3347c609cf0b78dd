#include <gtest/gtest.h>

#include <chrono>

#include "engine/tests/engine_fixture.h"
#include "sections/replace_text_section.h"

namespace {

using testing_support::EngineFixture;
using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// One template file through a ReplaceSymbolsInFile section with the symbols
// NAME=World and DIR=C:\Data\ defined.
struct TemplateFixture {
  explicit TemplateFixture(const std::string& extraKeys = std::string())
      : f("[ProductInstall.Symbols]\r\nNAME=World\r\nDIR=C:\\Data\\\r\n"
          "[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=1\r\nFile1.Description=make it\r\n"
          "File1.Source=%SRC%\r\nFile1.Output=%OUT%\r\n" + extraKeys),
        record(f.engine.get()), section(f.engine.get()),
        source(f.folder + "\\in.tpl"), output(f.folder + "\\out.txt") {
    f.engine->SetSymbol("SRC", source);
    f.engine->SetSymbol("OUT", output);
  }
  int Run() { return section.Run("ProductInstall.ReplaceSymbolsInFile", record); }
  std::string Output() const {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(output, bytes));
    return bytes;
  }

  EngineFixture f;
  CHFS_InstallRecord record;
  CHFS_ReplaceTextSection section;
  std::string source;
  std::string output;
};

struct TemplateCase {
  const char* name;
  std::string in;
  std::string out;
};

TEST(ReplaceTextSectionTest, WritesTheSubstitutedTextByteForByte) {
  const TemplateCase cases[] = {
      {"symbols", "Hello %NAME%, %NAME%! %UNKNOWN% 100%", "Hello World, World! %UNKNOWN% 100%"},
      {"line ends kept", "a=%NAME%\r\nb\nc\r\n\r\n", "a=World\r\nb\nc\r\n\r\n"},
      {"backslash after a folder symbol", "path=%DIR%\\bin\r\n", "path=C:\\Data\\bin\r\n"},
      {"ends at a zero byte", std::string("before %NAME%\0after %NAME%", 26), "before World"},
      {"high bytes", "caf\xe9 %NAME% \xff\x80", "caf\xe9 World \xff\x80"},
      {"quoted whole text is taken literally", "\"%NAME%\"", "%NAME%"},
  };
  for (const TemplateCase& c : cases) {
    TemplateFixture t;
    ASSERT_TRUE(WriteFileBytes(t.source, c.in));
    EXPECT_EQ(t.Run(), 0) << c.name;
    EXPECT_EQ(t.Output(), c.out) << c.name;
    EXPECT_TRUE(t.f.reporter.Logged("Replace symboles in TXT file Success! ret=0")) << c.name;
    EXPECT_TRUE(t.f.reporter.Logged("EventHandler('File1.Success.',OldRet=0)")) << c.name;
    EXPECT_EQ(t.record.size(), 0u);
  }
}

TEST(ReplaceTextSectionTest, AMissingSourceFailsWithFileNotFoundAndCreatesNoOutput) {
  TemplateFixture t;
  EXPECT_EQ(t.Run(), -1);
  EXPECT_TRUE(t.f.reporter.Logged("Replace symboles in TXT file Failed! ret=2"));
  EXPECT_TRUE(t.f.reporter.Logged("EventHandler('File1.Error.',OldRet=-1)"));
  EXPECT_FALSE(FileExists(t.output));
}

TEST(ReplaceTextSectionTest, AnOutputThatCannotBeCreatedFails) {
  TemplateFixture t;
  ASSERT_TRUE(WriteFileBytes(t.source, "x"));
  t.f.engine->SetSymbol("OUT", t.f.folder + "\\no\\such\\folder\\out.txt");
  EXPECT_EQ(t.Run(), -1);
  EXPECT_TRUE(t.f.reporter.Logged("Replace symboles in TXT file Failed! ret=3"));
}

TEST(ReplaceTextSectionTest, SourceAndOutputMayBeTheSameFile) {
  TemplateFixture t;
  ASSERT_TRUE(WriteFileBytes(t.source, "in place: %NAME%\r\n"));
  t.f.engine->SetSymbol("OUT", t.source);
  EXPECT_EQ(t.Run(), 0);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(t.source, bytes));
  EXPECT_EQ(bytes, "in place: World\r\n");
}

TEST(ReplaceTextSectionTest, AnEmptySourceGivesAnEmptyOutput) {
  for (const std::string& in : {std::string(), std::string("\0tail", 5)}) {
    TemplateFixture t;
    ASSERT_TRUE(WriteFileBytes(t.source, in));
    ASSERT_TRUE(WriteFileBytes(t.output, "old content"));
    EXPECT_EQ(t.Run(), 0);
    EXPECT_EQ(t.Output(), "");
  }
}

TEST(ReplaceTextSectionTest, ItemsWithoutSourceOrOutputAreSkippedWithoutAnEvent) {
  EngineFixture f("[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=2\r\nFile1.Source=a\r\n"
                  "File2.Output=b\r\nFile1.Error.Action=BRVN_USERBREAK\r\n");
  CHFS_InstallRecord record(f.engine.get());
  CHFS_ReplaceTextSection section(f.engine.get());
  EXPECT_EQ(section.Run("ProductInstall.ReplaceSymbolsInFile", record), 0);
  for (const std::string& line : f.reporter.Lines()) {
    EXPECT_EQ(line.find("EventHandler("), std::string::npos) << line;
  }
  EXPECT_TRUE(f.reporter.Logged("CHFS_ReplaceTextSection::Run(ProductInstall.ReplaceSymbolsInFile)"));
  EXPECT_EQ(section.Rollback("ProductInstall.ReplaceSymbolsInFile", record), 0);
  EXPECT_TRUE(f.reporter.Logged("CHFS_ReplaceTextSection::Rollback(ProductInstall.ReplaceSymbolsInFile)"));
}

TEST(ReplaceTextSectionTest, RetryTriesTheSameFileAgain) {
  TemplateFixture t("File1.Error.AskRetryCancel=again?\r\nFile1.Error.Retry=BRVN_RETRY\r\n"
                    "File1.Error.Cancel=BRVN_CONTINUE\r\n");
  t.f.reporter.answers = {4, 2};  // Retry once, then Cancel
  EXPECT_EQ(t.Run(), 0);
  EXPECT_EQ(t.f.reporter.asked.size(), 2u) << "the missing source failed twice";
}

// Linear in the template: a 50 MB template with thousands of references is
// a matter of seconds, where a quadratic substitution would take hours.
TEST(ReplaceTextSectionTest, ALargeTemplateIsQuick) {
  TemplateFixture t;
  std::string line(10000, 'x');
  line += "%NAME%\r\n";
  std::string in;
  in.reserve(line.size() * 5000);
  for (int i = 0; i < 5000; ++i) in += line;
  ASSERT_TRUE(WriteFileBytes(t.source, in));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(t.Run(), 0);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(seconds.count(), 60);
  std::string out = t.Output();
  EXPECT_EQ(out.size(), in.size() - 5000u);
  EXPECT_EQ(out.substr(10000, 7), "World\r\n");
}

}  // namespace
