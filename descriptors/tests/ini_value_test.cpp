#include "descriptors/ini_value.h"
#include "platform/ini_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "os/machine.h"
#include "platform/file_ops.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::ReadFileBytes;

std::vector<std::string> TempCopies() {
  std::string folder;
  std::vector<std::string> list;
  if (os::GetTempFolder(folder)) platform::ListFiles(list, folder, "TMP*.TMP");
  return list;
}

class IniValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteFileBytes(file, kContent);
    f.reporter.log.clear();
  }
  void TearDown() override {
    value_test::FailNthChange(0);
    EXPECT_EQ(copiesBefore, TempCopies()) << "temporary copies are removed";
  }
  std::string Query(const std::string& section, const std::string& key) {
    return QueryINIValue(*f.engine, "[INI:" + file + "," + section + "," + key + "]");
  }
  std::string Read(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
  }

  static constexpr const char* kContent = "Version=1.0\r\n[Main]\r\nVer=2\r\nEmpty=\r\n";
  testing_support::EngineFixture f{""};
  std::string file = f.folder + "\\app.ini";
  std::vector<std::string> copiesBefore = TempCopies();
};

TEST_F(IniValueTest, QueriesAndTheirFailureLines) {
  EXPECT_EQ("2", Query("Main", "Ver"));
  EXPECT_EQ("1.0", Query("", "Version"));
  EXPECT_TRUE(f.reporter.log.empty());
  EXPECT_EQ("", Query("Main", "Nope"));
  ASSERT_EQ(2u, f.reporter.log.size());
  EXPECT_EQ(0u, f.reporter.Lines()[0].find("*** Warning:  Item 'Nope' not found in Section 'Main' ! (file:" + file +
                                           ") lasterror="));
  EXPECT_EQ(0u, f.reporter.log[1].find("INI Query Value 'INI:" + file + ",Main,Nope' Failed! ret=-1 , lasterror="));
  f.reporter.log.clear();
  EXPECT_EQ("", Query("Main", "Empty"));
  ASSERT_EQ(1u, f.reporter.log.size()) << "present but empty: the failure line only";
  EXPECT_EQ(0u, f.reporter.log[0].find("INI Query Value 'INI:" + file + ",Main,Empty' Failed! ret=0 , lasterror="));
  f.reporter.log.clear();
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:" + file + ",Main]"));
  EXPECT_EQ("Syntax error , Incorrect INI description!", f.reporter.log.back());
}

TEST_F(IniValueTest, WritingBeforeTheFirstHeaderKeepsABackupAndNoHeader) {
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Added", "yes"));
  EXPECT_TRUE(f.reporter.Logged("Update INI: Write Added='yes':len=3 in section [Brevane_TempINI]!"));
  EXPECT_EQ(kContent, Read(file + ".bak"));
  const std::string now = Read(file);
  EXPECT_EQ(std::string::npos, now.find("Brevane_TempINI")) << now;
  EXPECT_LT(now.find("Added=yes"), now.find("[Main]")) << now;
  EXPECT_EQ("yes", Query("", "Added"));
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Added", ""));
  EXPECT_EQ(kContent, Read(file)) << "an empty value removes the key";
}

TEST_F(IniValueTest, NoTemporaryCopyMeansNoWriteAndNoRead) {
  const std::string missing = f.folder + "\\missing.ini";
  EXPECT_EQ(-1, SetINIVariable(*f.engine, missing, "", "K", "v"));
  EXPECT_EQ(0u, f.reporter.log.back().find("Write INI '" + missing + "', Value K=v in section '' Failed! lasterror="));
  EXPECT_FALSE(testing_support::FileExists(missing));
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:" + missing + ",,K]"));
  EXPECT_EQ(0u, f.reporter.log.back().find("INI Query Value 'INI:" + missing + ",,K' Failed! ret=-1 , lasterror="));
  value_test::FailNthChange(1);  // the copy's own file
  EXPECT_EQ(-1, SetINIVariable(*f.engine, file, "", "Version", "9"));
  // Copy named, created, written; then .bak removed, file renamed, file created.
  value_test::FailNthChange(6);
  EXPECT_EQ(-2, SetINIVariable(*f.engine, file, "", "Version", "9"));
  EXPECT_EQ(kContent, Read(file)) << "a failed apply puts the file back";
}

// Each change call of a write before the first header refused in turn: the
// file is the old one or the whole new one, never missing or cut, and the
// folder holds nothing but the file and its backup.
TEST_F(IniValueTest, WritingBeforeTheFirstHeaderIsWholeOrNotAtAll) {
  ASSERT_EQ(0, SetINIVariable(*f.engine, file, "", "Added", "yes"));
  const std::string whole = Read(file);
  int refused = 0;
  for (int n = 1; n <= 20; ++n) {
    ASSERT_TRUE(testing_support::WriteFileBytes(file, kContent));
    value_test::FailNthChange(n);
    int result = SetINIVariable(*f.engine, file, "", "Added", "yes");
    value_test::FailNthChange(0);
    if (result != 0) ++refused;
    EXPECT_EQ(result == 0 ? whole : std::string(kContent), Read(file)) << "change call " << n;
    std::set<std::string> expected{f.folder + "\\HotFix.ini", file, file + ".bak"};
    if (result == 0) {
      EXPECT_EQ(kContent, Read(file + ".bak")) << n;
    } else if (!testing_support::FileExists(file + ".bak")) {
      expected.erase(file + ".bak");  // refused after the old backup was removed
    }
    std::vector<std::string> names;
    platform::ListFiles(names, f.folder, "*");
    EXPECT_EQ(expected, std::set<std::string>(names.begin(), names.end())) << n;
    // The copy in the temporary folder stays only when its own removal was
    // the call refused.
    for (const std::string& copy : TempCopies()) {
      if (std::find(copiesBefore.begin(), copiesBefore.end(), copy) == copiesBefore.end()) {
        EXPECT_EQ(0, result) << n;
        (void)os::DeleteFile(copy);
      }
    }
  }
  EXPECT_GE(refused, 5);
}

}  // namespace
