// A run killed at any moment leaves every file it writes whole: the install
// record file is missing or the complete one, each INI file and
// the registry store hold the entries written so far in order and nothing
// torn. The program runs in its own process and gets SIGKILL after a seeded
// random delay.
//
// BREVANE_KILL_RUNS sets the number of runs (20 by default, 8 in the
// sanitizer build, where a run takes several times as long), BREVANE_KILL_SEED
// the seed of the delays.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "os/ansi_codepage_posix.h"
#include "os/files.h"
#include "os/profile_text.h"
#include "os/reg_store_posix.h"
#include "os/reg_text_posix.h"
#include "os/reg_tree_posix.h"
#include "platform/ini_write.h"
#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::HostPathOf;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultRuns = 8;
#else
constexpr int kDefaultRuns = 20;
#endif

constexpr int kIniFiles = 3;
constexpr int kIniItems = 45;
// The last items write before the first header of f0.ini, which goes
// through a copy of the file.
constexpr int kSectionlessItems = 6;
constexpr int kRegItems = 20;
const char kOldIni[] = "[Main]\r\nOld=1\r\n";
// No record file: an install stops at once when it finds one (exit 7).
const char kOldRecord[] = "<missing>";

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

std::string IniName(int file) { return "f" + std::to_string(file) + ".ini"; }

// Item i writes K<i>=V<i> into file i % kIniFiles; registry value R<i> is V<i>.
std::string Script(const std::string& folder) {
  std::string s = "[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\n"
                  "[ProductInstall.Main]\r\nInstallRecordFile=" + folder + "\\hotfix.rec\r\n"
                  "StepCount=2\r\nStep1.Section=ProductInstall.UpdateINI\r\n"
                  "Step2.Section=ProductInstall.UpdateRegistry\r\n"
                  "[ProductInstall.UpdateINI]\r\nItemCount=" +
                  std::to_string(kIniItems + kSectionlessItems) + "\r\n";
  for (int i = 1; i <= kIniItems; ++i) {
    std::string n = std::to_string(i);
    s += "Item" + n + ".Key=INI:%DIR%\\" + IniName(i % kIniFiles) + ",Main,K" + n + "\r\n";
    s += "Item" + n + ".Value=V" + n + "\r\n";
  }
  for (int i = kIniItems + 1; i <= kIniItems + kSectionlessItems; ++i) {
    std::string n = std::to_string(i);
    s += "Item" + n + ".Key=INI:%DIR%\\" + IniName(0) + ",,T" + n + "\r\n";
    s += "Item" + n + ".Value=V" + n + "\r\n";
  }
  s += "[ProductInstall.UpdateRegistry]\r\nRegCount=" + std::to_string(kRegItems) + "\r\n";
  for (int i = 1; i <= kRegItems; ++i) {
    std::string n = std::to_string(i);
    s += "Reg" + n + ".Key=Reg:REG_SZ,HKCU,Software\\KillTest,R" + n + "\r\n";
    s += "Reg" + n + ".Value=V" + n + "\r\n";
  }
  return s + "[ProductRemove.Main]\r\nStepCount=0\r\n";
}

// Every state an INI file may be in: the old text, then after each write.
std::vector<std::string> IniStates(int file) {
  std::string text = kOldIni;
  std::vector<std::string> states{text};
  for (int i = 1; i <= kIniItems; ++i) {
    if (i % kIniFiles != file) continue;
    os::ProfileText edited(text);
    (void)edited.SetValue("Main", "K" + std::to_string(i), "V" + std::to_string(i));
    states.push_back(text = edited.Text());
  }
  const std::string header = std::string("[") + kTempINISection + "]\r\n";
  for (int i = kIniItems + 1; file == 0 && i <= kIniItems + kSectionlessItems; ++i) {
    os::ProfileText edited(header + text);
    (void)edited.SetValue(kTempINISection, "T" + std::to_string(i), "V" + std::to_string(i));
    states.push_back(text = edited.Text().substr(header.size()));
  }
  return states;
}

std::string ReadHost(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The store as the program may leave it: a whole file as the store writes
// it, whose KillTest key holds R1..Rn for some n, in order.
::testing::AssertionResult StoreIsWhole(const std::string& bytes) {
  if (bytes.empty()) return ::testing::AssertionSuccess() << "no store yet";
  os::regtree::Key root;
  if (!os::regtext::Parse(bytes, "HKEY_CURRENT_USER", root)) {
    return ::testing::AssertionFailure() << "not a store file";
  }
  if (os::regtext::Format(root, "HKEY_CURRENT_USER") != bytes) {
    return ::testing::AssertionFailure() << "not a whole file:\n" << bytes;
  }
  const os::regtree::Key* key = os::regtree::FindPath(root, {"Software", "KillTest"});
  if (key == nullptr) return ::testing::AssertionSuccess();
  for (size_t i = 0; i < key->values.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const os::regtree::Value& value = key->values[i];
    if (value.name != "R" + n || value.data != os::AnsiToUtf16le("V" + n + std::string(1, '\0'))) {
      return ::testing::AssertionFailure() << "value " << i << " is " << value.name;
    }
  }
  return ::testing::AssertionSuccess();
}

class KillAtomicE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    package_ = std::make_unique<testing_support::PackageFixture>(Script(folder_));
    program_ = HostPathOf(package_->Folder()) + "/brevane";
    store_ = os::regstore::RootFilePath(os::RegRoot::kCurrentUser);
  }

  // Removes the temporary files a killed run left in the folder; true when
  // one was the record file being built.
  bool RemoveLeftovers() {
    bool record = false;
    os::FindData data;
    os::UniqueFind find = os::FindFirstFile(folder_ + "\\*", data);
    std::vector<std::string> names;
    if (find) {
      do {
        names.push_back(data.name);
      } while (os::FindNextFile(find.get(), data));
    }
    for (const std::string& name : names) {
      bool recordTemp = name.compare(0, 3, "BRV") == 0;
      if (recordTemp || name.find(".~") != std::string::npos) {
        record = record || recordTemp;
        (void)os::DeleteFile(folder_ + "\\" + name);
      }
    }
    return record;
  }

  void PutOldFiles() {
    for (int f = 0; f < kIniFiles; ++f) ASSERT_TRUE(WriteFileBytes(Ini(f), kOldIni));
    (void)os::DeleteFile(Record());
    // The journal a killed run leaves is rolled back by the next run; here
    // every run starts from the old files, so it goes.
    (void)os::DeleteFile(Record() + ".journal");
    ::unlink(store_.c_str());
  }

  // Starts the program; kills it after delay unless it has ended. True when
  // it was killed.
  bool RunAndKill(std::chrono::microseconds delay) {
    pid_t child = ::fork();
    if (child == 0) {
      std::string folder = program_.substr(0, program_.rfind('/'));
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) {
        ::_exit(126);
      }
      ::execl(program_.c_str(), program_.c_str(), "/s", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    struct timespec wait = {static_cast<time_t>(delay.count() / 1000000),
                            static_cast<long>(delay.count() % 1000000) * 1000};
    while (::nanosleep(&wait, &wait) != 0) {
    }
    bool killed = ::kill(child, SIGKILL) == 0;
    int status = 0;
    ::waitpid(child, &status, 0);
    return killed && WIFSIGNALED(status);
  }

  std::string Ini(int file) const { return folder_ + "\\" + IniName(file); }
  std::string Record() const { return folder_ + "\\hotfix.rec"; }

  std::string folder_ = testing_support::NewTestFolder();
  std::unique_ptr<testing_support::PackageFixture> package_;
  std::string program_;
  std::string store_;
};

TEST_F(KillAtomicE2E, EveryFileIsOldOrWholeAfterAKill) {
  // A run left alone gives the complete new record file and the time a run takes.
  PutOldFiles();
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(0, package_->Run({"/s"}).exitCode) << package_->Log();
  auto took = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::string newRecord;
  ASSERT_TRUE(ReadFileBytes(Record(), newRecord));
  ASSERT_NE(newRecord.find("[REC_71]"), std::string::npos) << "one entry per item";
  std::vector<std::vector<std::string>> iniStates;
  for (int f = 0; f < kIniFiles; ++f) {
    iniStates.push_back(IniStates(f));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(Ini(f), bytes));
    ASSERT_EQ(iniStates[f].back(), bytes) << "the states are the ones the program makes";
  }

  const int runs = EnvironmentNumber("BREVANE_KILL_RUNS", kDefaultRuns);
  std::mt19937 random(static_cast<unsigned>(EnvironmentNumber("BREVANE_KILL_SEED", 20261208)));
  // A third of the kills fall in the first half, where the INI files are
  // written, a third near the end, where the record file is, some after it
  // so whole runs are checked the same way.
  std::uniform_int_distribution<long long> early(0, took.count() / 2);
  std::uniform_int_distribution<long long> anywhere(0, took.count());
  std::uniform_int_distribution<long long> nearTheEnd(took.count() * 7 / 10, took.count() * 13 / 10);
  int killed = 0, oldRecords = 0, newRecords = 0, iniPartial = 0, inRecord = 0;
  for (int run = 0; run < runs; ++run) {
    PutOldFiles();
    long long delay = run % 3 == 0 ? early(random) : run % 3 == 1 ? anywhere(random) : nearTheEnd(random);
    SCOPED_TRACE("run " + std::to_string(run) + ", killed after " + std::to_string(delay) + " us");
    if (RunAndKill(std::chrono::microseconds(delay))) ++killed;

    std::string record;
    if (!ReadFileBytes(Record(), record)) record = kOldRecord;
    EXPECT_TRUE(record == kOldRecord || record == newRecord) << record;
    if (record == kOldRecord) ++oldRecords;
    if (record == newRecord) ++newRecords;
    for (int f = 0; f < kIniFiles; ++f) {
      std::string bytes;
      ASSERT_TRUE(ReadFileBytes(Ini(f), bytes));
      const std::vector<std::string>& states = iniStates[f];
      auto found = std::find(states.begin(), states.end(), bytes);
      EXPECT_NE(found, states.end()) << IniName(f) << ":\n" << bytes;
      if (found != states.begin() && found != states.end() && found + 1 != states.end()) {
        ++iniPartial;
      }
    }
    EXPECT_TRUE(StoreIsWhole(ReadHost(store_)));
    if (RemoveLeftovers()) ++inRecord;
  }
  std::printf("%d runs, run time %lld us: %d killed, %d while building the record file; record "
              "file missing %d, whole %d; %d INI files part written\n",
              runs, static_cast<long long>(took.count()), killed, inRecord, oldRecords, newRecords,
              iniPartial);
  if (runs >= 8) {
    EXPECT_GT(killed, 0) << "the delays reach into the runs";
  }
}

}  // namespace
