#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reporter.h"
#include "os/files.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"
#include "ui/confirm_folder.h"

namespace {

class AskingReporter : public CHFS_Reporter {
 public:
  explicit AskingReporter(int answer) : answer_(answer) {}
  int SetProgress(int, int) override { return 0; }
  int SetTaskText(const std::string&, int) override { return 0; }
  int AddDetailText(const std::string&, int) override { return 0; }
  int SetMainDescription(const std::string&) override { return 0; }
  int SetReadmeText(const std::string&) override { return 0; }
  int WriteLog(const std::string&) override { return 0; }
  int Ask(const std::string& text, int style) override {
    texts.push_back(text);
    styles.push_back(style);
    return answer_;
  }
  std::vector<std::string> texts;
  std::vector<int> styles;

 private:
  int answer_;
};

TEST(ConfirmFolder, ExistingFolderIsAcceptedWithoutAsking) {
  AskingReporter reporter(kIdNo);
  EXPECT_EQ(0, platform::ConfirmFolder(testing_support::NewTestFolder(), reporter));
  EXPECT_TRUE(reporter.texts.empty());
}

TEST(ConfirmFolder, MissingFolderIsCreatedOnYes) {
  std::string path = testing_support::NewTestFolder() + "\\new\\deeper";
  AskingReporter reporter(kIdYes);
  EXPECT_EQ(0, platform::ConfirmFolder(path, reporter));
  ASSERT_EQ(1u, reporter.texts.size());
  EXPECT_EQ("The folder:\r\n" + path + "\r\ndoes not exist. Do you want to create the folder?",
            reporter.texts[0]);
  EXPECT_EQ(kMbYesNo | kMbIconQuestion, reporter.styles[0]);
  EXPECT_NE(os::kInvalidFileAttributes, os::GetFileAttributes(path));
}

TEST(ConfirmFolder, AnythingButYesLeavesTheFolderMissing) {
  for (int answer : {static_cast<int>(kIdNo), 0}) {
    std::string path = testing_support::NewTestFolder() + "\\new";
    AskingReporter reporter(answer);
    EXPECT_EQ(-1, platform::ConfirmFolder(path, reporter));
    EXPECT_EQ(os::kInvalidFileAttributes, os::GetFileAttributes(path));
  }
}

TEST(ConfirmFolder, InvalidAndUncreatableFoldersAreReported) {
  AskingReporter invalid(kIdYes);
  EXPECT_EQ(1, platform::ConfirmFolder("C:\\bad|name %s %n", invalid));
  ASSERT_EQ(1u, invalid.texts.size());
  EXPECT_EQ("The folder:\r\nC:\\bad|name %s %n\r\nname is invalid. Check the format and try again.",
            invalid.texts[0]);
  EXPECT_EQ(kMbOk | kMbIconWarning, invalid.styles[0]);

  std::string folder = testing_support::NewTestFolder();
  ASSERT_TRUE(testing_support::WriteFileBytes(folder + "\\file", "x"));
  std::string blocked = folder + "\\file\\sub";
  AskingReporter uncreatable(kIdYes);
  EXPECT_EQ(2, platform::ConfirmFolder(blocked, uncreatable));
  ASSERT_EQ(2u, uncreatable.texts.size());
  EXPECT_EQ("Unable to create folder:\r\n" + blocked + "\r\n", uncreatable.texts[1]);
  EXPECT_EQ(kMbOk | kMbIconWarning, uncreatable.styles[1]);
}

}  // namespace
