#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "engine/engine.h"
#include "engine/result_codes.h"
#include "sections/user_input_section.h"
#include "tests/support/fake_windows.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::RecordingReporter;

// Windows whose prompts answer from a queue and remember how they were asked;
// an empty queue cancels.
class PromptWindows : public testing_support::FakeWindows {
 public:
  struct Shown {
    std::string kind;  // "input" or "folder"
    std::string title;
    std::string question;
    std::string initial;
    int maxLength = 0;
  };
  struct Reply {
    bool ok;
    std::string text;
  };

  int AskInput(const std::string& title, const std::string& question, const std::string& initial,
               int maxLength, std::string& answer) override {
    shown.push_back({"input", title, question, initial, maxLength});
    return Next(answer) ? 1 : 2;
  }
  int BrowseForFolder(const std::string& title, const std::string& instruction,
                      const std::string& initial, CHFS_Reporter&, std::string& path) override {
    shown.push_back({"folder", title, instruction, initial, 0});
    return Next(path) ? 1 : -1;
  }

  std::deque<Reply> replies;
  std::vector<Shown> shown;

 private:
  bool Next(std::string& text) {
    if (replies.empty() || !replies.front().ok) {
      if (!replies.empty()) replies.pop_front();
      return false;
    }
    text = replies.front().text;
    replies.pop_front();
    return true;
  }
};

// An engine over a script holding ProductInstall.Symbols and the section
// under test, "ProductInstall.GetUserInput.Ask".
struct InputRun {
  explicit InputRun(const std::string& keys, const std::string& symbols = "NAME=before\r\n")
      : folder(testing_support::NewTestFolder()) {
    testing_support::WriteFileBytes(
        folder + "\\HotFix.ini", "[ProductInstall.Symbols]\r\n" + symbols +
                                     "[ProductInstall.GetUserInput.Ask]\r\n" + keys);
    flags.recordPath = folder + "\\HotFix.ini";
    engine = std::make_unique<CHFS_Engine>(&reporter, "HotFix.ini", flags, &windows);
    section = std::make_unique<CHFS_UserInputSection>(engine.get());
    record = std::make_unique<CHFS_InstallRecord>(engine.get());
    record->BeginStep(3);
  }
  int Run() { return section->Run(kSession, *record); }
  int Rollback() {
    int step = 0;
    (void)record->PeekStep(step);
    return section->Rollback(kSession, *record);
  }
  void Answer(const std::string& text) { windows.replies.push_back({true, text}); }
  void Cancel() { windows.replies.push_back({false, std::string()}); }

  static constexpr const char* kSession = "ProductInstall.GetUserInput.Ask";
  std::string folder;
  CHFS_RunFlags flags;
  RecordingReporter reporter;
  PromptWindows windows;
  std::unique_ptr<CHFS_Engine> engine;
  std::unique_ptr<CHFS_UserInputSection> section;
  std::unique_ptr<CHFS_InstallRecord> record;
};

const char kEdit[] = "BRVN_INPUT_EDITBOX";

std::string EditItem(int n, const std::string& extra) {
  std::string i = "Input" + std::to_string(n) + ".";
  return i + "Description=Question " + std::to_string(n) + "\r\n" + i + "Type=" + kEdit + "\r\n" +
         i + "RefSymbol=NAME\r\n" + extra;
}

TEST(UserInputSectionTest, LimitsCarryToLaterItemsUntilAnItemGivesItsOwn) {
  InputRun r("InputCount=4\r\n" + EditItem(1, "Input1.Max=10\r\nInput1.Min=2\r\n") +
             EditItem(2, "") + EditItem(3, "Input3.Max=3\r\n") + EditItem(4, ""));
  for (const char* text : {"a", "b", "c", "d"}) r.Answer(text);
  EXPECT_EQ(r.Run(), 0);
  ASSERT_EQ(r.windows.shown.size(), 4u);
  const int expected[] = {10, 10, 3, 3};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(r.windows.shown[i].maxLength, expected[i]) << "item " << i + 1;
    EXPECT_EQ(r.windows.shown[i].title, "Ostrel Install package");
  }
  EXPECT_EQ(r.section->Minimum(), 2);
  // Each question opens with the symbol's value left by the answer before.
  EXPECT_EQ(r.windows.shown[0].initial, "before");
  EXPECT_EQ(r.windows.shown[1].initial, "a");
  EXPECT_EQ(r.windows.shown[1].question, "Question 2");
}

TEST(UserInputSectionTest, EmptyAnswerIsStoredAndRecordedWithTheEarlierValue) {
  InputRun r("InputCount=1\r\n" + EditItem(1, ""));
  r.Answer("");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.engine->GetSymbol("NAME"), "");
  ASSERT_EQ(r.record->size(), 1u);
  EXPECT_EQ(r.record->Entries()[0].step, 3);
  EXPECT_EQ(r.record->Entries()[0].item, 1);
  EXPECT_EQ(r.record->Entries()[0].Param1, "before");
  EXPECT_TRUE(r.reporter.Logged("1.GetUserInput(Type='BRVN_INPUT_EDITBOX',variable='NAME')"));
  EXPECT_TRUE(r.reporter.Logged("User Input = ''"));
  EXPECT_EQ(r.reporter.details, std::vector<std::string>{" - \r\n"});
}

TEST(UserInputSectionTest, CancelTakesTheErrorEventAndRecordsNothing) {
  struct Case {
    const char* events;
    int result;
    size_t prompts;
  };
  const Case cases[] = {
      {"", -1, 1},                                              // default: the section ends
      {"Input1.Error.Action=BRVN_CONTINUE\r\n", -1, 2},  // item 2 asked (and cancelled)
      {"Input1.Error.Action=BRVN_GOTOSTEP(7)\r\n", 7, 1},
      {"Input1.Success.Action=BRVN_USERBREAK\r\n", -1, 1},      // success keys not consulted
  };
  for (const Case& c : cases) {
    InputRun r("InputCount=2\r\n" + EditItem(1, c.events) + EditItem(2, ""));
    r.Cancel();
    r.Cancel();
    EXPECT_EQ(r.Run(), c.result) << c.events;
    EXPECT_EQ(r.windows.shown.size(), c.prompts) << c.events;
    EXPECT_EQ(r.record->size(), 0u);
    EXPECT_EQ(r.engine->GetSymbol("NAME"), "before");
    EXPECT_TRUE(
        r.reporter.Logged("1.GetUserInput(Type='BRVN_INPUT_EDITBOX',variable='NAME') failed!"));
    ASSERT_FALSE(r.reporter.details.empty());
    EXPECT_EQ(r.reporter.details[0], " - Question 1 (No pass)\r\n");
  }
}

TEST(UserInputSectionTest, RetryAfterCancelAsksTheSameItemAgain) {
  InputRun r("InputCount=1\r\n" + EditItem(1, "Input1.Error.Action=BRVN_RETRY\r\n"));
  r.Cancel();
  r.Answer("second try");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.windows.shown.size(), 2u);
  EXPECT_EQ(r.engine->GetSymbol("NAME"), "second try");
  EXPECT_EQ(r.record->size(), 1u);
}

TEST(UserInputSectionTest, RollbackOfTwoAnswersToOneSymbolRestoresTheFirstValue) {
  InputRun r("InputCount=2\r\n" + EditItem(1, "") + EditItem(2, ""));
  r.Answer("first");
  r.Answer("second");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.engine->GetSymbol("NAME"), "second");
  EXPECT_EQ(r.Rollback(), 0);
  EXPECT_EQ(r.engine->GetSymbol("NAME"), "before");
  EXPECT_EQ(r.record->size(), 0u);
}

TEST(UserInputSectionTest, AnswerCreatesAnUndefinedSymbolAndRollbackEmptiesIt) {
  InputRun r("InputCount=1\r\n" + EditItem(1, ""), "");
  r.Answer("new");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.engine->ScriptSymbols().at("NAME"), "new");
  EXPECT_EQ(r.Rollback(), 0);
  ASSERT_EQ(r.engine->ScriptSymbols().count("NAME"), 1u);
  EXPECT_EQ(r.engine->ScriptSymbols().at("NAME"), "");
}

TEST(UserInputSectionTest, FolderItemAsksTheBrowserWithTheCurrentValue) {
  InputRun r("InputCount=1\r\nInput1.Description=Where?\r\nInput1.Type=BRVN_INPUT_FOLDER_SELECT\r\n"
             "Input1.RefSymbol=TARGET\r\n",
             "TARGET=C:\\old\r\n");
  r.Answer("C:\\new");
  EXPECT_EQ(r.Run(), 0);
  ASSERT_EQ(r.windows.shown.size(), 1u);
  EXPECT_EQ(r.windows.shown[0].kind, "folder");
  EXPECT_EQ(r.windows.shown[0].question, "Where?");
  EXPECT_EQ(r.windows.shown[0].initial, "C:\\old");
  EXPECT_EQ(r.engine->GetSymbol("TARGET"), "C:\\new");
  EXPECT_TRUE(r.reporter.Logged("User Select folder = 'C:\\new'"));
  EXPECT_EQ(r.reporter.details, std::vector<std::string>{" - C:\\new\r\n"});
}

TEST(UserInputSectionTest, ItemsWithoutTypeOrSymbolAreSkippedAndUnknownTypesChangeNothing) {
  InputRun r("InputCount=3\r\nInput1.Type=BRVN_INPUT_EDITBOX\r\n"
             "Input2.RefSymbol=NAME\r\n"
             "Input3.Type=BRVN_INPUT_COLOUR\r\nInput3.RefSymbol=NAME\r\n"
             "Input3.Success.Action=BRVN_GOTOSTEP(5)\r\n");
  r.Answer("unused");
  EXPECT_EQ(r.Run(), 5) << "only the unknown type reaches an event";
  EXPECT_TRUE(r.windows.shown.empty());
  EXPECT_EQ(r.engine->GetSymbol("NAME"), "before");
  EXPECT_EQ(r.record->size(), 0u);
}

TEST(UserInputSectionTest, FullRecordBreaksTheRun) {
  InputRun r("InputCount=1\r\n" + EditItem(1, ""));
  for (size_t i = 0; i < CHFS_InstallRecord::kMaxRecords; ++i) r.record->AddRecord(1, "", "", "");
  r.Answer("late");
  EXPECT_EQ(r.Run(), BRVN_USERBREAK);
}

}  // namespace
