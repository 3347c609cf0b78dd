#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/files.h"
#include "os/tests/os_test_support.h"
#include "os/version_resource.h"
#include "tests/support/test_machine.h"

namespace {

// The DLLs whose version resource is known: the checked-in fixtures (32- and
// 64-bit images) and, on Windows, the one the build makes from the same
// sources.
std::vector<std::string> VersionedDlls() {
  std::vector<std::string> dlls = {os_test::FixturePath("version_sample.dll"),
                                   os_test::FixturePath("version_sample64.dll")};
#ifdef BREVANE_BUILT_VERSION_DLL
  dlls.push_back(os_test::WindowsPathOfHost(BREVANE_BUILT_VERSION_DLL));
#endif
  return dlls;
}

TEST(FileVersion, FixedNumbersTranslationsAndStrings) {
  for (const std::string& dll : VersionedDlls()) {
    SCOPED_TRACE(dll);
    std::vector<unsigned char> block;
    ASSERT_TRUE(os::GetFileVersionInfo(dll, block));
    os::FixedFileInfo fixed;
    ASSERT_TRUE(os::QueryFixedFileInfo(block, fixed));
    EXPECT_EQ(0x00050002u, fixed.fileVersionMS);
    EXPECT_EQ((3790u << 16) | 1234u, fixed.fileVersionLS);
    EXPECT_EQ(0x00050002u, fixed.productVersionMS);
    EXPECT_EQ(0u, fixed.productVersionLS);
    std::vector<std::uint32_t> translations;
    ASSERT_TRUE(os::QueryTranslations(block, translations));
    EXPECT_EQ((std::vector<std::uint32_t>{0x04E40409u, 0x04B00407u}), translations);
    const struct {
      const char* path;
      const char* text;  // nullptr: no such entry
    } entries[] = {
        {"\\StringFileInfo\\040904E4\\FileVersion", "5, 2, 3790, 1234"},
        {"\\StringFileInfo\\040904e4\\specialbuild", "QFE 1234"},
        {"\\StringFileInfo\\040704B0\\FileVersion", "5, 2, 3790, 1234 (de)"},
        {"\\StringFileInfo\\040704B0\\SpecialBuild", nullptr},
        {"\\StringFileInfo\\040904E4\\Comments", nullptr},
        {"\\StringFileInfo\\041104B0\\FileVersion", nullptr},
    };
    for (const auto& entry : entries) {
      std::string text;
      bool found = os::QueryVersionString(block, entry.path, text);
      EXPECT_EQ(entry.text != nullptr, found) << entry.path;
      if (entry.text != nullptr) {
        EXPECT_EQ(entry.text, text) << entry.path;
      }
    }
  }
}

TEST(FileVersion, StringEntriesOfTheFirstTranslation) {
  for (const std::string& dll : VersionedDlls()) {
    std::string text;
    ASSERT_TRUE(os::GetFileVersionString(dll, "FileVersion", text)) << dll;
    EXPECT_EQ("5, 2, 3790, 1234", text);  // not the second table's "(de)" text
    ASSERT_TRUE(os::GetFileVersionString(dll, "SpecialBuild", text)) << dll;
    EXPECT_EQ("QFE 1234", text);
    EXPECT_FALSE(os::GetFileVersionString(dll, "Comments", text)) << dll;
  }
  std::string text;
  EXPECT_FALSE(os::GetFileVersionString(os_test::FixturePath("no_version_sample.dll"), "FileVersion", text));
}

TEST(FileVersion, FilesWithoutVersionResource) {
  std::string text = testing_support::NewTestFolder() + "\\plain.dll";
  ASSERT_TRUE(testing_support::WriteFileBytes(text, "MZ not really a program"));
  for (const std::string& path : {os_test::FixturePath("no_version_sample.dll"), text}) {
    std::vector<unsigned char> block;
    EXPECT_FALSE(os::GetFileVersionInfo(path, block)) << path;
  }
  std::vector<unsigned char> block;
  os::SetLastError(0);
  EXPECT_FALSE(os::GetFileVersionInfo(testing_support::NewTestFolder() + "\\none.dll", block));
  EXPECT_EQ(os::kErrorFileNotFound, os::LastError());
}

bool ReadsFixedVersion(const std::string& image) {
  os_test::MemoryImage reader(image);
  std::vector<unsigned char> block;
  os::version_resource::Value value;
  if (!os::version_resource::ExtractVersionBlock(reader, block)) return false;
  (void)os::version_resource::FindValue(block, "\\StringFileInfo\\040904E4\\FileVersion", value);
  (void)os::version_resource::FindValue(block, "\\VarFileInfo\\Translation", value);
  return os::version_resource::FindValue(block, "\\", value) && value.size >= 52;
}

// A damaged file must give "no version", never a read outside the data (the
// sanitizer build checks the "never").
TEST(VersionResource, DamagedImagesAreRefusedSafely) {
  std::string image;
  ASSERT_TRUE(testing_support::ReadFileBytes(os_test::FixturePath("version_sample.dll"), image));
  ASSERT_TRUE(ReadsFixedVersion(image));
  for (size_t length = 0; length < image.size(); length += 7) {
    (void)ReadsFixedVersion(image.substr(0, length));
  }
  unsigned int seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = image;
    for (int i = 0; i < 4; ++i) {
      seed = seed * 1103515245u + 12345u;
      damaged[(seed >> 8) % damaged.size()] = static_cast<char>(seed >> 24);
    }
    (void)ReadsFixedVersion(damaged);
  }
  // A block whose nodes claim more than there is.
  std::vector<unsigned char> block(8, 0);
  block[0] = 0xFF;
  block[1] = 0xFF;
  os::version_resource::Value value;
  EXPECT_FALSE(os::version_resource::FindValue(block, "\\", value));
}

}  // namespace
