#include "descriptors/file_info_value.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "os/tests/os_test_paths.h"

namespace {

using testing_support::EngineFixture;

// A copy of the fixture DLL whose "SpecialBuild" entry is renamed, so that
// its version information lacks that entry but is otherwise whole.
std::string DllWithoutSpecialBuild(const std::string& folder) {
  std::string bytes;
  EXPECT_TRUE(testing_support::ReadFileBytes(os_test::FixturePath("version_sample.dll"), bytes));
  const std::string name("S\0p\0e\0c\0i\0a\0l\0B\0u\0i\0l\0d\0", 24);
  size_t at = bytes.find(name);
  EXPECT_NE(std::string::npos, at);
  if (at != std::string::npos) bytes[at + 22] = 'X';
  std::string path = folder + "\\nospecial.dll";
  EXPECT_TRUE(testing_support::WriteFileBytes(path, bytes));
  return path;
}

TEST(FileInfoTest, PropertiesOfARealVersionResource) {
  EngineFixture f("");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(dll, bytes));
  const struct {
    const char* property;
    std::string value;
  } cases[] = {
      {"FileVersion", "5.2"},
      {"BuildVersion", std::to_string(3790 * 65536 + 1234)},
      {"ProductVersion", "5, 2, 3790, 1234"},
      {"SpecialBuild", "QFE 1234"},
      {"FileSize", std::to_string(bytes.size())},
  };
  f.reporter.log.clear();
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, QueryFileInfo(*f.engine, "[FileInfo:" + dll + "," + c.property + "]")) << c.property;
  }
  EXPECT_TRUE(f.reporter.log.empty());
}

TEST(FileInfoTest, FailuresLogOneLineAndGiveEmptyText) {
  EngineFixture f("");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  const std::string plain = os_test::FixturePath("no_version_sample.dll");
  const std::string noSpecial = DllWithoutSpecialBuild(f.folder);
  const std::string cases[] = {
      "FileInfo:" + dll + ",filesize",
      "FileInfo:" + plain + ",FileVersion",
      "FileInfo:" + plain + ",ProductVersion",
      "FileInfo:" + noSpecial + ",SpecialBuild",
      "FileInfo:" + f.folder + "\\missing.dll,FileSize",
  };
  for (const std::string& inner : cases) {
    f.reporter.log.clear();
    EXPECT_EQ("", QueryFileInfo(*f.engine, "[" + inner + "]"));
    ASSERT_EQ(1u, f.reporter.log.size()) << inner;
    EXPECT_EQ(0u, f.reporter.log[0].find("Query file info '" + inner + "' Failed! (lasterror=")) << f.reporter.log[0];
  }
  EXPECT_EQ("5, 2, 3790, 1234", QueryFileInfo(*f.engine, "[FileInfo:" + noSpecial + ",ProductVersion]"));
  f.reporter.log.clear();
  EXPECT_EQ("", QueryFileInfo(*f.engine, "[FileInfo:" + dll + ",FileVersion"));
  EXPECT_TRUE(f.reporter.log.empty()) << "no closing bracket: nothing logged";
  EXPECT_EQ("", QueryFileInfo(*f.engine, "[FileInfo:" + dll + "]"));
  EXPECT_EQ((std::vector<std::string>{"*** Syntax error: Incorrect FileInfo description 'FileInfo:" + dll + "'!",
                                      "Syntax error , Incorrect FileInfo description!"}),
            f.reporter.Lines());
}

TEST(FileInfoTest, FileSizeIsTheLow32BitsSigned) {
  EngineFixture f("");
  const std::string path = f.folder + "\\big.bin";
  {
    // Sparse where the file system allows: one byte at the very end.
    os::UniqueFile file = os::CreateFile(path, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
    ASSERT_TRUE(file.valid());
    ASSERT_TRUE(os::SetFilePointer(file.get(), 5000000000ull - 1));
    unsigned long written = 0;
    ASSERT_TRUE(os::WriteFile(file.get(), "x", 1, written));
  }
  EXPECT_EQ("705032704", QueryFileInfo(*f.engine, "[FileInfo:" + path + ",FileSize]"));
  const std::string pattern = f.folder + "\\b*.bin";
  EXPECT_EQ("705032704", QueryFileInfo(*f.engine, "[FileInfo:" + pattern + ",FileSize]"));
  (void)os::DeleteFile(path);
}

}  // namespace
