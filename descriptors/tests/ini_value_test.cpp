#include "descriptors/ini_value.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "os/machine.h"
#include "platform/file_ops.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

std::vector<std::string> TempCopies() {
  std::string folder;
  std::vector<std::string> list;
  if (os::GetTempFolder(folder)) platform::ListFiles(list, folder, "TMP*.TMP");
  std::sort(list.begin(), list.end());
  return list;
}

class IniValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = f.folder + "\\app.ini";
    WriteFileBytes(file, kContent);
    f.reporter.log.clear();
    copiesBefore = TempCopies();
  }
  void TearDown() override {
    value_test::FailNthChange(0);
    EXPECT_EQ(copiesBefore, TempCopies()) << "temporary copies are removed";
  }
  std::string Query(const std::string& section, const std::string& key) {
    return QueryINIValue(*f.engine, "[INI:" + file + "," + section + "," + key + "]");
  }
  std::string Content() {
    std::string bytes;
    ReadFileBytes(file, bytes);
    return bytes;
  }

  static constexpr const char* kContent = "Version=1.0\r\nName=top\r\n[Main]\r\nVer=2\r\nEmpty=\r\n";
  EngineFixture f{""};
  std::string file;
  std::vector<std::string> copiesBefore;
};

TEST_F(IniValueTest, QueriesNamedSectionsAndEntriesBeforeTheFirstHeader) {
  EXPECT_EQ("2", Query("Main", "Ver"));
  EXPECT_EQ("1.0", Query("", "Version"));
  EXPECT_EQ("top", Query("", "Name"));
  EXPECT_TRUE(f.reporter.log.empty());
  EXPECT_EQ(kContent, Content());
}

TEST_F(IniValueTest, MissingAndEmptyEntriesLogAndGiveEmptyText) {
  const std::string inner = "INI:" + file + ",Main,Nope";
  EXPECT_EQ("", Query("Main", "Nope"));
  ASSERT_EQ(2u, f.reporter.log.size());
  EXPECT_EQ(0u, f.reporter.Lines()[0].find("*** Warning:  Item 'Nope' not found in Section 'Main' ! (file:" +
                                           file + ") lasterror="))
      << f.reporter.log[0];
  EXPECT_EQ(0u, f.reporter.log[1].find("INI Query Value '" + inner + "' Failed! ret=-1 , lasterror="));
  f.reporter.log.clear();
  EXPECT_EQ("", Query("Main", "Empty"));
  ASSERT_EQ(1u, f.reporter.log.size()) << "present but empty: the failure line only";
  EXPECT_EQ(0u, f.reporter.log[0].find("INI Query Value 'INI:" + file + ",Main,Empty' Failed! ret=0 , lasterror="));
  f.reporter.log.clear();
  EXPECT_EQ("", Query("", "Nope"));
  EXPECT_NE(std::string::npos, f.reporter.Lines()[0].find("not found in Section 'Brevane_TempINI'"));
  f.reporter.log.clear();
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:" + file + ",Main]"));
  EXPECT_EQ((std::vector<std::string>{"*** Syntax error: Incorrect INI description 'INI:" + file + ",Main'!",
                                      "Syntax error , Incorrect INI description!"}),
            f.reporter.Lines());
  f.reporter.log.clear();
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:" + file + ",Main,Ver"));
  EXPECT_TRUE(f.reporter.log.empty());
}

TEST_F(IniValueTest, LongValuesAreCutTo4095) {
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "Main", "Long", std::string(5000, 'v')));
  EXPECT_EQ(std::string(4095, 'v'), Query("Main", "Long"));
}

TEST_F(IniValueTest, WritesAndRemovesInANamedSection) {
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "Main", "New", "x"));
  EXPECT_TRUE(f.reporter.Logged("Update INI: Write New='x':len=1 in section [Main]!"));
  EXPECT_TRUE(f.reporter.Logged("Update INI: Write Success! "));
  EXPECT_EQ("x", Query("Main", "New"));
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "Main", "New", ""));
  f.reporter.log.clear();
  EXPECT_EQ("", Query("Main", "New"));
  EXPECT_EQ(2u, f.reporter.log.size()) << "the warning and the failure line";
  EXPECT_FALSE(testing_support::FileExists(file + ".bak"));
}

TEST_F(IniValueTest, WritingBeforeTheFirstHeaderGoesThroughTheCopyAndKeepsABackup) {
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Version", "2.0"));
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Added", "yes"));
  EXPECT_TRUE(f.reporter.Logged("Update INI: Write Added='yes':len=3 in section [Brevane_TempINI]!"));
  const std::string now = Content();
  EXPECT_EQ(std::string::npos, now.find("Brevane_TempINI")) << now;
  EXPECT_LT(now.find("Added=yes"), now.find("[Main]")) << now;
  EXPECT_EQ("2.0", Query("", "Version"));
  EXPECT_EQ("yes", Query("", "Added"));
  EXPECT_EQ("2", Query("Main", "Ver"));
  std::string backup;
  ASSERT_TRUE(ReadFileBytes(file + ".bak", backup));
  EXPECT_NE(std::string::npos, backup.find("Version=2.0")) << "the content before the last write";
  EXPECT_EQ(std::string::npos, backup.find("Added")) << backup;
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Added", ""));
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Version", "1.0"));
  EXPECT_EQ("", Query("", "Added"));
  EXPECT_EQ("1.0", Query("", "Version"));
}

TEST_F(IniValueTest, NoCopyMeansNoWriteAndNoRead) {
  const std::string missing = f.folder + "\\missing.ini";
  EXPECT_EQ(-1, SetINIVariable(*f.engine, missing, "", "K", "v"));
  EXPECT_EQ(0u, f.reporter.log.back().find("Write INI '" + missing + "', Value K=v in section '' Failed! lasterror="));
  EXPECT_FALSE(testing_support::FileExists(missing));
  f.reporter.log.clear();
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:" + missing + ",,K]"));
  ASSERT_EQ(1u, f.reporter.log.size());
  EXPECT_EQ(0u, f.reporter.log[0].find("INI Query Value 'INI:" + missing + ",,K' Failed! ret=-1 , lasterror="));
  // The copy's own file cannot be made: the first change call is its creation.
  value_test::FailNthChange(1);
  EXPECT_EQ(-1, SetINIVariable(*f.engine, file, "", "Version", "9"));
  value_test::FailNthChange(0);
  EXPECT_EQ(kContent, Content());
}

TEST_F(IniValueTest, AFailedApplyPutsTheFileBack) {
  // Changes: copy created, copy rewritten by the write, backup deleted or
  // renamed ... the file's re-creation is refused.
  std::string copy;
  ASSERT_EQ(0, MakeTempINICopy(file, copy));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(copy, bytes));
  EXPECT_EQ(std::string("[Brevane_TempINI]\r\n") + kContent, bytes);
  value_test::FailNthChange(3);  // delete .bak, rename, then the new file
  EXPECT_EQ(-2, ApplyTempINICopy(copy, file));
  value_test::FailNthChange(0);
  EXPECT_EQ(kContent, Content());
  EXPECT_EQ(-1, ApplyTempINICopy(f.folder + "\\nocopy.tmp", file));
  (void)os::DeleteFile(copy);
}

}  // namespace
