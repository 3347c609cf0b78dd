// The rollback promise on the Windows build: a package that replaces and adds
// files, changes INI entries and registry values and removes a value is run
// once per change call with that call failing (BREVANE_FAIL_AT=N), and so is
// its removal. The test folder, the INI file and the package's registry keys,
// read through the Win32 calls, must be as before afterwards, but for what
// the product leaves on purpose. Every run starts a Windows process, so the
// package is small.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "os/registry.h"
#include "platform/file_ops.h"
#include "sections/tests/value_test_support.h"
#include "tests/e2e/machine_snapshot.h"
#include "tests/e2e/package_fixture.h"
#include "tests/support/under_wine.h"

namespace {

using machine_snapshot::Allowed;
using machine_snapshot::Snapshot;
using testing_support::PackageFixture;
using testing_support::ProgramRun;

const std::vector<Allowed> kAfterFailedInstall = {
    {"added", "folder *\\Records", "the install record's folder is made at start-up, before the run"},
    {"added", "folder *\\Fix", "the file group's backup folder's parent stays"},
    {"added", "file *\\App\\added.txt", "a file group's file without a predecessor stays"},
    {"added", "folder *\\App\\sub", "folders a file group made for its files stay"},
    {"added", "file *\\App\\sub\\new.dat", "a file group's file without a predecessor stays"},
    {"retimed", "file *\\App\\app.ini", "INI entries put back are written again: new times, same bytes"},
};

// A removal, or a removal run again after one failed, may leave beyond that
// what a failed clean-up call would have deleted.
std::vector<Allowed> AfterRemoval() {
  std::vector<Allowed> allowed = kAfterFailedInstall;
  allowed.insert(allowed.end(), {
      {"added", "file *\\Fix\\Files\\*", "backup folders go once their files are back; unchecked"},
      {"added", "folder *\\Fix\\Files*", "backup folders go once their files are back; unchecked"},
      {"added", "file *\\Records\\fix.rec", "a record file that cannot be deleted after a complete removal "
                                              "stays, with a warning in the log"},
      {"added", "file *\\Records\\fix.rec.journal", "so does its journal (the next run deletes both)"},
  });
  return allowed;
}
const std::vector<Allowed> kAfterRemoval = AfterRemoval();

std::string Script(const std::string& dir, const std::string& base) {
  return "[ProductInstall.Symbols]\r\nDIR=" + dir + "\r\nBASE=" + base + "\r\n"
         "[ProductInstall.Main]\r\nInstallRecordFile=%DIR%\\Records\\fix.rec\r\nStepCount=4\r\n"
         "Step1.Section=ProductInstall.CopyFileGroupTo\r\nStep2.Section=ProductInstall.UpdateINI\r\n"
         "Step3.Section=ProductInstall.UpdateRegistry\r\nStep4.Section=ProductInstall.RemoveRegistry\r\n"
         "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
         "[FileGroup1]\r\nDescription=Files\r\nTarget=%DIR%\\App\r\nBackup=%DIR%\\Fix\\Files\r\n"
         "FileCount=2\r\nFile1=*.txt\r\nFile2=sub\\*.dat\r\n"
         "[ProductInstall.UpdateINI]\r\nItemCount=2\r\n"
         "Item1.Key=INI:%DIR%\\App\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
         "Item2.Key=INI:%DIR%\\App\\app.ini,Main,Added\r\nItem2.Value=yes\r\n"
         "[ProductInstall.UpdateRegistry]\r\nRegCount=2\r\n"
         "Reg1.Key=Reg:REG_SZ,HKCU,%BASE%\\App,Version\r\nReg1.Value=2.0\r\n"
         "Reg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\New\\Deeper,Flag\r\nReg2.Value=1\r\n"
         "[ProductInstall.RemoveRegistry]\r\nRegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\App,Obsolete\r\n"
         "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n[ProductRemove.Rollback]\r\n";
}

class RollbackPropertyWin : public value_test::RegistryTestKey {
 protected:
  void SetUp() override {
    value_test::RegistryTestKey::SetUp();
    package = std::make_unique<PackageFixture>(Script(dir, base_));
    Put(package->Folder() + "\\FileGroup1\\notes.txt", "notes v2");
    Put(package->Folder() + "\\FileGroup1\\added.txt", "added by the fix");
    Put(package->Folder() + "\\FileGroup1\\sub\\new.dat", "new data");
  }

  static void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(platform::CreateFolderTree(platform::DirectoryOf(path))) << path;
    ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes)) << path;
  }

  // A new machine folder and the package's keys as the installed product
  // has them; the script is written again to name the folder.
  void Build() {
    dir = testing_support::NewTestFolder();
    ASSERT_TRUE(testing_support::WriteFileBytes(package->Folder() + "\\HotFix.ini", Script(dir, base_)));
    Put(dir + "\\App\\notes.txt", "notes v1");
    // Already in the form Wine's profile writer leaves a file in.
    Put(dir + "\\App\\app.ini", "[Main]\r\nVer=1\r\n");
    value_test::DeleteTree(os::RegRoot::kCurrentUser, base_);
    MakeKey("App", {{"Version", "1", "1.0"}, {"Obsolete", "1", "old value"}});
  }

  // Wine keeps no creation times, so they are left out there.
  Snapshot Take() const {
    Snapshot shot;
    const std::string program = package->Folder() + "\\" + testing_support::BuiltProgramPath().substr(
                                                              testing_support::BuiltProgramPath().rfind('\\') + 1);
    machine_snapshot::AddFolder(shot, dir, {});
    machine_snapshot::AddFolder(shot, package->Folder(),
                                {program, package->Folder() + "\\stdin.txt", package->Folder() + "\\stdout.txt"});
    machine_snapshot::AddKey(shot, os::RegRoot::kCurrentUser, base_);
    if (!testing_support::RunningUnderWine()) return shot;
    for (auto& entry : shot) {
      size_t created = entry.second.find(" created ");
      size_t written = entry.second.find(" written ");
      if (created == std::string::npos || written == std::string::npos) continue;
      entry.second.replace(created, written - created, " created -");
    }
    return shot;
  }

  ProgramRun RunWith(const std::string& fault, const std::vector<std::string>& arguments = {"/s"}) {
    testing_support::SetEnvironment("BREVANE_FAIL_AT", fault);
    ProgramRun run = package->Run(arguments);
    testing_support::SetEnvironment("BREVANE_FAIL_AT", "");
    return run;
  }

  // The change calls a run with these arguments makes, each a fault point.
  void ListFaultPoints(const std::vector<std::string>& arguments, std::vector<std::string>& calls) {
    ProgramRun list = RunWith("list", arguments);
    ASSERT_EQ(0, list.exitCode) << package->Log();
    calls = machine_snapshot::ChangeCalls(list.output + list.errors);
    std::printf("fault points: %zu\n", calls.size());
    ASSERT_GT(calls.size(), 10u) << list.output;
  }

  std::string dir;
  std::unique_ptr<PackageFixture> package;
};

TEST_F(RollbackPropertyWin, EveryFailingChangeOfTheInstallIsRolledBack) {
  Build();
  std::vector<std::string> calls;
  ASSERT_NO_FATAL_FAILURE(ListFaultPoints({"/s"}, calls));
  for (size_t n = 1; n <= calls.size(); ++n) {
    const std::string& call = calls[n - 1];
    Build();
    const Snapshot before = Take();
    ProgramRun run = RunWith(std::to_string(n));
    const std::string record = dir + "\\Records\\fix.rec";
    if (run.exitCode == 0) {
      // Only failed clean-ups and attempts that fail anyway are ridden over;
      // the install must then be whole, recorded and removable.
      ASSERT_TRUE(testing_support::FileExists(record)) << call;
      EXPECT_EQ(0, RunWith("", {"/U:" + record, "/s"}).exitCode) << call << "\n" << package->Log();
    } else {
      EXPECT_EQ(1, run.exitCode) << call;
      EXPECT_TRUE(package->LogHas("\r\nInstallation failed!\r\n")) << call;
    }
    std::string unexpected =
        machine_snapshot::Unexpected(machine_snapshot::Compare(before, Take()), kAfterFailedInstall);
    EXPECT_TRUE(unexpected.empty()) << call << ", exit " << run.exitCode << "\n" << unexpected;
    EXPECT_FALSE(testing_support::FileExists(record)) << call;
  }
}

// A removal that fails keeps its record file, and a second removal then
// finishes; one that succeeds, or rides over a failed clean-up, is complete.
TEST_F(RollbackPropertyWin, EveryFailingChangeOfTheRemovalCanBeResumed) {
  const std::string record = "\\Records\\fix.rec";
  Build();
  ASSERT_EQ(0, RunWith("").exitCode) << package->Log();
  std::vector<std::string> calls;
  ASSERT_NO_FATAL_FAILURE(ListFaultPoints({"/U:" + dir + record, "/s"}, calls));
  size_t resumed = 0;
  for (size_t n = 1; n <= calls.size(); ++n) {
    const std::string& call = calls[n - 1];
    Build();
    const Snapshot original = Take();
    ASSERT_EQ(0, RunWith("").exitCode) << call << "\n" << package->Log();
    ProgramRun run = RunWith(std::to_string(n), {"/U:" + dir + record, "/s"});
    if (run.exitCode != 0) {
      ++resumed;
      EXPECT_EQ(1, run.exitCode) << call;
      EXPECT_TRUE(package->LogHas("\r\nInstallation failed!\r\n")) << call;
      ASSERT_TRUE(testing_support::FileExists(dir + record)) << call << ": a failed removal keeps its record file";
      EXPECT_EQ(0, RunWith("", {"/U:" + dir + record, "/s"}).exitCode) << call << ", removed again\n"
                                                                        << package->Log();
    }
    EXPECT_TRUE(package->LogHas("Ret=BRVN_CMD_ROLLBACK_SUCCESS")) << call;
    std::string unexpected =
        machine_snapshot::Unexpected(machine_snapshot::Compare(original, Take()), kAfterRemoval);
    EXPECT_TRUE(unexpected.empty()) << call << ", exit " << run.exitCode << "\n" << unexpected;
  }
  std::printf("removals that failed and were run again: %zu\n", resumed);
}

// Kills (BREVANE_KILL_AT=N before the Nth change, N+ after it), then the
// package run again: the machine ends installed with a record whose removal
// takes everything back. Every run starts a Windows process, so a printed
// sample of the points runs unless BREVANE_FULL_SWEEP=1.
std::vector<std::string> KillPoints(size_t points) {
  std::vector<std::string> all;
  for (size_t n = 1; n <= points; ++n) {
    all.push_back(std::to_string(n));
    all.push_back(std::to_string(n) + "+");
  }
  const char* full = std::getenv("BREVANE_FULL_SWEEP");
  if ((full != nullptr && std::string(full) == "1") || all.size() <= 3) return all;
  // Eight spread over all, before and after changes, the last among them.
  std::vector<std::string> sample;
  const size_t stride = all.size() / 8 + 1;
  for (size_t i = 0, k = 0; i < all.size(); i += stride, ++k) {
    sample.push_back(all[std::min(all.size() - 1, i - i % 2 + k % 2)]);
  }
  if (sample.back() != all.back()) sample.push_back(all.back());
  return sample;
}

std::string Joined(const std::vector<std::string>& points) {
  std::string text;
  for (const std::string& point : points) text += (text.empty() ? "" : " ") + point;
  return text;
}

constexpr int kKilled = 137;

TEST_F(RollbackPropertyWin, EveryKilledInstallIsRecoveredByTheNextRun) {
  const std::string record = "\\Records\\fix.rec";
  Build();
  std::vector<std::string> calls;
  ASSERT_NO_FATAL_FAILURE(ListFaultPoints({"/s"}, calls));
  const std::vector<std::string> points = KillPoints(calls.size());
  std::printf("install: %zu change points, killed at %s\n", calls.size(), Joined(points).c_str());
  int recovered = 0;
  for (const std::string& at : points) {
    Build();
    const Snapshot original = Take();
    testing_support::SetEnvironment("BREVANE_KILL_AT", at);
    ProgramRun killed = package->Run({"/s"});
    testing_support::SetEnvironment("BREVANE_KILL_AT", "");
    EXPECT_EQ(kKilled, killed.exitCode) << at;
    const bool complete = testing_support::FileExists(dir + record);
    EXPECT_EQ(complete ? 7 : 0, RunWith("").exitCode) << at << "\n" << package->Log();
    if (package->LogHas("Recovery: ")) ++recovered;
    EXPECT_EQ(0, RunWith("", {"/U:" + dir + record, "/s"}).exitCode) << at << "\n" << package->Log();
    std::string unexpected =
        machine_snapshot::Unexpected(machine_snapshot::Compare(original, Take()), kAfterRemoval);
    EXPECT_TRUE(unexpected.empty()) << at << "\n" << unexpected;
    EXPECT_FALSE(testing_support::FileExists(dir + record + ".journal")) << at;
  }
  std::printf("install: %zu kills, %d recovered from the journal\n", points.size(), recovered);
}

TEST_F(RollbackPropertyWin, EveryKilledRemovalIsFinishedByTheNextRun) {
  const std::string record = "\\Records\\fix.rec";
  Build();
  ASSERT_EQ(0, RunWith("").exitCode) << package->Log();
  std::vector<std::string> calls;
  ASSERT_NO_FATAL_FAILURE(ListFaultPoints({"/U:" + dir + record, "/s"}, calls));
  const std::vector<std::string> points = KillPoints(calls.size());
  std::printf("removal: %zu change points, killed at %s\n", calls.size(), Joined(points).c_str());
  int recovered = 0;
  for (const std::string& at : points) {
    Build();
    const Snapshot original = Take();
    ASSERT_EQ(0, RunWith("").exitCode) << at << "\n" << package->Log();
    testing_support::SetEnvironment("BREVANE_KILL_AT", at);
    ProgramRun killed = package->Run({"/U:" + dir + record, "/s"});
    testing_support::SetEnvironment("BREVANE_KILL_AT", "");
    EXPECT_EQ(kKilled, killed.exitCode) << at;
    const bool done = !testing_support::FileExists(dir + record) &&
                      !testing_support::FileExists(dir + record + ".journal");
    EXPECT_EQ(done ? 3 : 0, RunWith("", {"/U:" + dir + record, "/s"}).exitCode) << at << "\n"
                                                                                << package->Log();
    if (package->LogHas("Recovery: ")) ++recovered;
    std::string unexpected =
        machine_snapshot::Unexpected(machine_snapshot::Compare(original, Take()), kAfterRemoval);
    EXPECT_TRUE(unexpected.empty()) << at << "\n" << unexpected;
    EXPECT_FALSE(testing_support::FileExists(dir + record)) << at;
    EXPECT_FALSE(testing_support::FileExists(dir + record + ".journal")) << at;
  }
  std::printf("removal: %zu kills, %d recovered from the journal\n", points.size(), recovered);
}

}  // namespace
