#include "engine/journal.h"

#include <gtest/gtest.h>

#include "engine/install_record.h"
#include "tests/support/test_machine.h"

namespace {

// What a journal holds comes back as written, whatever the texts hold; a
// last line cut by a kill is not read; undone marks take entries back.
TEST(JournalTest, EventsComeBackInOrderAndACutLineIsNotRead) {
  const std::string path = testing_support::NewTestFolder() + "\\fix.rec.journal";
  CHFS_Journal journal(path);
  ASSERT_TRUE(journal.Begin(CHFS_Journal::Kind::kInstall));
  CHFS_InstallRecord record(nullptr);
  record.AttachJournal(&journal);
  const std::string odd = "a\tb\r\nc\\d\\n=e";
  ASSERT_EQ(0, record.BeginStep(2));
  ASSERT_EQ(0, record.AddRecord(1, odd, "", "REG_SZ"));
  ASSERT_EQ(0, record.AddRecord(2, "two", "A", ""));
  record.NoteReplacedFile("C:\\app\\core.dll");
  record.NoteCreatedFile("C:\\app\\BRV1.TMP");
  ASSERT_EQ(0, record.BeginStep(3));
  ASSERT_EQ(0, record.AddRecord(7, "three", "", ""));
  int item = 0;
  ASSERT_EQ(0, record.PopRecord(item));  // step 3's entry popped, its undo under way
  CHFS_Journal::Contents contents;
  ASSERT_TRUE(CHFS_Journal::Read(path, contents));
  EXPECT_EQ(3u, contents.entries.size()) << "an entry is undone only once its undo is confirmed";
  record.ConfirmUndone();
  record.DiscardLast();  // the change of entry 2 was not made after all
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(path, bytes));
  ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes + "E\tSectionIndex=9\tItemIndex=9\tParam1=cut"));

  ASSERT_TRUE(CHFS_Journal::Read(path, contents));
  EXPECT_EQ(CHFS_Journal::Kind::kInstall, contents.kind);
  ASSERT_EQ(1u, contents.entries.size());
  EXPECT_EQ(2, contents.entries[0].step);
  EXPECT_EQ(1, contents.entries[0].item);
  EXPECT_EQ(odd, contents.entries[0].Param1);
  EXPECT_EQ("", contents.entries[0].Param2);
  EXPECT_EQ("REG_SZ", contents.entries[0].Param3);
  EXPECT_TRUE(contents.hasUndone);
  EXPECT_EQ(1u, contents.undoneFrom);
  EXPECT_EQ(std::vector<std::string>{"C:\\app\\core.dll"}, contents.replacedFiles);
  EXPECT_EQ(std::vector<std::string>{"C:\\app\\BRV1.TMP"}, contents.createdFiles);

  // Not a journal of ours: nothing is read from it.
  ASSERT_TRUE(testing_support::WriteFileBytes(path, "[REC_0]\r\nTotalCount=1\r\n"));
  EXPECT_FALSE(CHFS_Journal::Read(path, contents));
}

}  // namespace
