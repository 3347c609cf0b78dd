// The rollback promise, checked at every point where a run can fail: a
// package that uses every kind of undoable change is run once to count its
// change calls, then once per call with that call failing (BREVANE_FAIL_AT=N).
// Each failed run must leave the whole sandbox machine as it was before, but
// for what the product leaves on purpose (the table below). The removal of
// the installed package is checked the same way.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "os/change_gate.h"
#include "os/files.h"
#include "os/registry.h"
#include "os/sandbox_posix.h"
#include "os/tests/os_test_support.h"
#include "platform/file_ops.h"
#include "sections/tests/value_test_support.h"
#include "tests/e2e/machine_snapshot.h"
#include "tests/e2e/package_fixture.h"

namespace {

using machine_snapshot::Allowed;
using machine_snapshot::Snapshot;
using testing_support::PackageFixture;
using testing_support::ProgramRun;

const char kBase[] = "Software\\BrevaneProperty";

// What a failed install leaves that the machine did not have, on purpose.
const std::vector<Allowed> kAfterFailedInstall = {
    {"added", "folder *\\Records", "the install record's folder is made at start-up, before the run"},
    {"added", "folder *\\Fix", "folders made for backups stay"},
    {"added", "folder *\\Fix\\Saved", "BackupFiles' folder: the saved copies go back, the folder stays"},
    {"added", "file *\\Fix\\Saved\\BAK*.TMP",
     "a copy that could not be saved is not recorded; its reserved name stays"},
    {"added", "file *\\App\\bin\\extra.dll", "a file group's file without a predecessor stays"},
    {"added", "file *\\App\\notes-new.txt", "a file group's file without a predecessor stays"},
    {"added", "file *\\App\\data\\sub\\deep\\new.dat", "a file group's file without a predecessor stays"},
    {"added", "folder *\\App\\data\\sub\\deep", "folders a file group made for its files stay"},
    {"added", "file *\\App\\app.ini.bak", "an entry before the first section is written through a copy; "
                                              "the file before that write is kept as .bak"},
    {"retimed", "file *\\App\\app.ini", "INI entries put back are written again: new times, same bytes"},
    {"retimed", "file *\\App\\settings.cfg", "likewise (an INI entry, and a saved copy put back)"},
};

// What a removal leaves beyond that, and a run that rode over a failed
// clean-up: what the failed call would have deleted.
std::vector<Allowed> AfterRemoval() {
  std::vector<Allowed> allowed = kAfterFailedInstall;
  allowed.insert(allowed.end(), {
      {"added", "file C:\\TEMP\\TMP*.TMP", "a temporary copy of an INI file is deleted once, unchecked"},
      {"added", "file *\\Fix\\Program\\*", "backup folders go once their files are back; unchecked"},
      {"added", "file *\\Fix\\Data\\*", "backup folders go once their files are back; unchecked"},
      {"added", "folder *\\Fix\\Program*", "backup folders go once their files are back; unchecked"},
      {"added", "folder *\\Fix\\Data*", "backup folders go once their files are back; unchecked"},
      {"added", "file *\\App\\run.txt", "a rollback command that cannot start counts as run (only -300 fails)"},
      {"added", "file *\\Records\\fix.rec", "a record file that cannot be deleted after a complete removal "
                                              "stays, with a warning in the log"},
      {"added", "file *\\Records\\fix.rec.journal", "so does its journal (the next run deletes both)"},
  });
  return allowed;
}
const std::vector<Allowed> kAfterRemoval = AfterRemoval();

// Faults the install rides over by design, and what they leave out of it.
const std::vector<Allowed> kRiddenOver = {
    {"removed", "file *\\App\\run.txt", "a command that cannot start counts as run (only -300 fails)"},
    {"changed", "file *\\App\\app.ini", "a symbol whose descriptor cannot be read is empty (logged)"},
    {"changed", "file *\\App\\app.ini.bak", "the .bak of an INI file is kept once, unchecked"},
    {"removed", "file *\\App\\app.ini.bak", "the .bak of an INI file is kept once, unchecked"},
};

std::string Host(const std::string& windowsPath) { return testing_support::HostPathOf(windowsPath); }

std::string ReadHost(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return in ? bytes.str() : std::string("<missing>");
}

// The installed product, its settings in the registry and two services: made
// anew before every run, so each run starts from the same machine.
class ProductMachine {
 public:
  ProductMachine() : dir_(testing_support::NewTestFolder()), app_(dir_ + "\\App") {}

  void Build() {
    Shell("rm -rf '" + Host(dir_) + "'");
    Put(app_ + "\\app.ini", "Top=1\r\n[Main]\r\nVer=1\r\nKeep=k\r\n");
    Put(app_ + "\\license.txt", "license v1");
    ASSERT_TRUE(os::SetFileAttributes(app_ + "\\license.txt", os::kAttributeReadOnly | os::kAttributeArchive));
    Put(app_ + "\\settings.cfg", "color=blue\r\n");
    Put(app_ + "\\notes.txt", "notes v1");
    Put(app_ + "\\bin\\core.dll", "core v1");
    Put(app_ + "\\data\\sub\\table.dat", std::string("table\0v1", 8));
    BuildRegistry();
    WriteServices("[BrvSpooler]\r\nState=Running\r\n[BrvIndexer]\r\nState=Stopped\r\n");
    FastServiceWaits();
  }

  // Keeps the machine as it is now under name, outside the machine; Restore
  // puts it back (the files with their times and attributes).
  void Save(const std::string& name) const {
    const std::string stash = Stash(name);
    Shell("rm -rf " + stash + " && mkdir -p " + stash + " && cp -a '" + Host(dir_) + "' " + stash + "/dir && cp -a " +
          Temp() + " " + stash + "/temp && cp -r " + Prefix() + "/registry " + stash + "/registry && cp " +
          Prefix() + "/services.ini " + stash + "/");
  }
  void Restore(const std::string& name) const {
    const std::string stash = Stash(name);
    Shell("rm -rf '" + Host(dir_) + "' " + Temp() + " " + Prefix() + "/registry && cp -a " + stash + "/dir '" +
          Host(dir_) + "' && cp -a " + stash + "/temp " + Temp() + " && cp -r " + stash + "/registry " + Prefix() +
          "/registry && cp " + stash + "/services.ini " + Prefix() + "/ && rm -f " + Host(PackageFixture::kLogPath));
  }

  // Everything of the sandbox machine a run may change. The trace log is
  // written by every run; the package's program is only read.
  Snapshot Take(const std::string& program) const {
    Snapshot shot;
    machine_snapshot::AddFolder(shot, "C:\\", {PackageFixture::kLogPath, program});
    for (os::RegRoot root : {os::RegRoot::kClassesRoot, os::RegRoot::kCurrentUser, os::RegRoot::kLocalMachine,
                             os::RegRoot::kUsers, os::RegRoot::kCurrentConfig}) {
      machine_snapshot::AddKey(shot, root, "");
    }
    shot["services"] = ReadHost(Prefix() + "/services.ini");
    shot["machine"] = ReadHost(Prefix() + "/machine.ini");
    shot["side table"] = ReadHost(Prefix() + "/file_attributes.tab");
    return shot;
  }

  const std::string& Dir() const { return dir_; }
  const std::string& App() const { return app_; }

 private:
  static std::string Prefix() { return std::getenv("BREVANE_PREFIX"); }
  static std::string Temp() { return Host("C:\\TEMP"); }
  static std::string Stash(const std::string& name) { return Prefix() + "/stash-" + name; }
  static void Shell(const std::string& command) { ASSERT_EQ(0, std::system(command.c_str())) << command; }

  static void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(platform::CreateFolderTree(platform::DirectoryOf(path))) << path;
    ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes)) << path;
  }

  static void BuildRegistry() {
    for (os::RegRoot root : {os::RegRoot::kCurrentUser, os::RegRoot::kLocalMachine}) {
      value_test::DeleteTree(root, kBase);
    }
    const std::string base = kBase;
    SetValues(base + "\\App", {{"Version", os::kRegSz, "1.0"},
                               {"Build", os::kRegDword, os::RegDwordData(7)},
                               {"Obsolete", os::kRegSz, "old value"},
                               {"Counter", os::kRegDword, os::RegDwordData(3)}});
    SetValues(base + "\\Old", {{"", os::kRegSz, "default"},
                               {"Setting", os::kRegSz, "keep me"},
                               {"Level", os::kRegDword, os::RegDwordData(2)}});
  }

  struct Value {
    const char* name;
    unsigned long type;
    std::string data;
  };
  static void SetValues(const std::string& path, const std::vector<Value>& values) {
    os::RegistryKey key;
    ASSERT_EQ(0, key.Create(os::RegRoot::kCurrentUser, path, nullptr)) << path;
    for (const Value& v : values) ASSERT_EQ(0, key.SetValue(v.name, v.type, v.data)) << v.name;
  }

  // Service waits would cost a second a poll, per run.
  static void FastServiceWaits() {
    const std::string ini = std::string(std::getenv("BREVANE_PREFIX")) + "/machine.ini";
    if (ReadHost(ini).find("FastServiceWaits=1") != std::string::npos) return;
    std::ofstream out(ini, std::ios::binary | std::ios::app);
    out << "FastServiceWaits=1\n";
  }

  static void WriteServices(const std::string& table) {
    std::ofstream out(std::string(std::getenv("BREVANE_PREFIX")) + "/services.ini", std::ios::binary);
    out << table;
  }

  std::string dir_;
  std::string app_;
};

// Stops a service, saves two files, installs two file groups (sub-folders,
// read-only files, a versioned file), changes INI entries before and inside
// sections, sets and removes registry values and a whole key, takes symbols
// from all three descriptor kinds, runs a command with a rollback command
// and starts a service.
std::string Script(const std::string& dir) {
  return "[ProductInstall.Symbols]\r\nDIR=" + dir + "\r\nAPP=%DIR%\\App\r\nSAVE=%DIR%\\Fix\r\n"
         "BASE=" + kBase + "\r\nVER=old\r\nTOP=old\r\nFILEVER=old\r\n"
         "[ProductInstall.Main]\r\nInstallRecordFile=%DIR%\\Records\\fix.rec\r\nStepCount=10\r\n"
         "Step1.Section=ProductInstall.StopService\r\nStep1.Description=Stopping the spooler\r\n"
         "Step2.Section=ProductInstall.BackupFiles\r\nStep2.Description=Saving settings\r\n"
         "Step3.Section=ProductInstall.CopyFileGroupTo\r\nStep3.Description=Installing files\r\n"
         "Step4.Section=ProductInstall.UpdateINI\r\nStep4.Description=Settings\r\n"
         "Step5.Section=ProductInstall.UpdateRegistry\r\nStep5.Description=Registry\r\n"
         "Step6.Section=ProductInstall.RemoveRegistry\r\nStep6.Description=Old registry\r\n"
         "Step7.Section=ProductInstall.UpdateSymbols\r\nStep7.Description=Reading back\r\n"
         "Step8.Section=ProductInstall.UpdateINI.Seen\r\nStep8.Description=Recording\r\n"
         "Step9.Section=ProductInstall.Run\r\nStep9.Description=Commands\r\n"
         "Step10.Section=ProductInstall.StartService\r\nStep10.Description=Starting the indexer\r\n"
         "[ProductInstall.StopService]\r\nServiceCount=1\r\nService1=BrvSpooler\r\n"
         "[ProductInstall.StartService]\r\nServiceCount=1\r\nService1=BrvIndexer\r\n"
         "[ProductInstall.BackupFiles]\r\nFileCount=2\r\nBackup=%SAVE%\\Saved\r\n"
         "File1=%APP%\\settings.cfg\r\nFile2=%APP%\\license.txt\r\n"
         "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\n"
         "[FileGroup1]\r\nDescription=Program\r\nTarget=%APP%\r\nBackup=%SAVE%\\Program\r\n"
         "FileCount=2\r\nFile1=bin\\*.dll\r\nFile2=*.txt\r\n"
         "[FileGroup2]\r\nDescription=Data\r\nTarget=%APP%\\data\r\nBackup=%SAVE%\\Data\r\n"
         "FileCount=2\r\nFile1=sub\\*.dat\r\nFile2=sub\\deep\\*.dat\r\n"
         "[ProductInstall.UpdateINI]\r\nItemCount=5\r\n"
         "Item1.Key=INI:%APP%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
         "Item2.Key=INI:%APP%\\app.ini,Main,Added\r\nItem2.Value=yes\r\n"
         "Item3.Key=INI:%APP%\\app.ini,,Top\r\nItem3.Value=changed\r\n"
         "Item4.Key=INI:%APP%\\app.ini,,Early\r\nItem4.Value=new\r\n"
         "Item5.Key=INI:%APP%\\settings.cfg,View,Zoom\r\nItem5.Value=150\r\n"
         "[ProductInstall.UpdateRegistry]\r\nRegCount=5\r\n"
         "Reg1.Key=Reg:REG_SZ,HKCU,%BASE%\\App,Version\r\nReg1.Value=2.0\r\n"
         "Reg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\App,Build\r\nReg2.Value=0x10\r\n"
         "Reg3.Key=Reg:REG_SZ,HKCU,%BASE%\\App,NewValue\r\nReg3.Value=n\r\n"
         "Reg4.Key=Reg:REG_DWORD,HKCU,%BASE%\\New\\Deeper,Flag\r\nReg4.Value=1\r\n"
         "Reg5.Key=Reg:REG_SZ,HKLM,%BASE%\\Machine,Path\r\nReg5.Value=%APP%\r\n"
         "[ProductInstall.RemoveRegistry]\r\nRegCount=3\r\n"
         "Reg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Old\r\n"
         "Reg2.Key=Reg:REG_SZ,HKCU,%BASE%\\App,Obsolete\r\n"
         "Reg3.Key=Reg:REG_DWORD,HKCU,%BASE%\\App,Counter\r\n"
         "[ProductInstall.UpdateSymbols]\r\n"
         "VER=[Reg:REG_SZ,HKCU,%BASE%\\App,Version]\r\nTOP=[INI:%APP%\\app.ini,,Top]\r\n"
         "FILEVER=[FileInfo:%APP%\\bin\\core.dll,FileVersion]\r\n"
         "[ProductInstall.UpdateINI.Seen]\r\nItemCount=1\r\n"
         "Item1.Key=INI:%APP%\\app.ini,Main,Seen\r\nItem1.Value=%VER%|%TOP%|%FILEVER%\r\n"
         "[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Path=%APP%\r\n"
         "Run1.Command=cmd /c echo installed> run.txt\r\nRun1.RollbackCommand=rm -f run.txt\r\n"
         "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n"
         "[ProductRemove.Rollback]\r\n";
}

class RollbackProperty : public ::testing::Test {
 protected:
  // The program runs some hundred times here, each writing the install
  // record entry by entry, and every sandbox write is flushed to disk: on a
  // memory file system that costs nothing.
  void SetUp() override {
    char shm[] = "/dev/shm/brevane-property-XXXXXX";
    if (::mkdtemp(shm) != nullptr) {
      oldPrefix_ = std::getenv("BREVANE_PREFIX");
      prefix_ = shm;
      testing_support::SetEnvironment("BREVANE_PREFIX", prefix_);
      os::sandbox::ResetForTesting();
    }
    machine_ = std::make_unique<ProductMachine>();
    machine_->Build();
    package = std::make_unique<PackageFixture>(Script(machine_->Dir()));
    const std::string groups = package->Folder();
    std::string dll;
    ASSERT_TRUE(testing_support::ReadFileBytes(os_test::FixturePath("version_sample.dll"), dll));
    PutPackageFile(groups + "\\FileGroup1\\bin\\core.dll", dll, false);
    PutPackageFile(groups + "\\FileGroup1\\bin\\extra.dll", "extra v2", true);
    PutPackageFile(groups + "\\FileGroup1\\notes.txt", "notes v2", true);
    PutPackageFile(groups + "\\FileGroup1\\notes-new.txt", "new notes", false);
    PutPackageFile(groups + "\\FileGroup2\\sub\\table.dat", std::string("table\0v2", 8), false);
    PutPackageFile(groups + "\\FileGroup2\\sub\\deep\\new.dat", "new data", false);
    machine_->Save("new");
  }

  static void PutPackageFile(const std::string& path, const std::string& bytes, bool readOnly) {
    ASSERT_TRUE(platform::CreateFolderTree(platform::DirectoryOf(path))) << path;
    ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes)) << path;
    if (readOnly) {
      ASSERT_TRUE(os::SetFileAttributes(path, os::kAttributeReadOnly));
    }
  }

  // Runs the package with BREVANE_FAIL_AT set to fault (none when empty).
  ProgramRun RunWith(const std::string& fault, const std::vector<std::string>& arguments) {
    testing_support::SetEnvironment("BREVANE_FAIL_AT", fault);
    ProgramRun run = package->Run(arguments);
    testing_support::SetEnvironment("BREVANE_FAIL_AT", "");
    return run;
  }

  void TearDown() override {
    if (prefix_.empty()) return;
    testing_support::SetEnvironment("BREVANE_PREFIX", oldPrefix_);
    os::sandbox::ResetForTesting();
    if (std::getenv("BREVANE_KEEP_TEST_PREFIX") == nullptr) (void)std::system(("rm -rf " + prefix_).c_str());
  }

  std::string Record() const { return machine_->Dir() + "\\Records\\fix.rec"; }
  Snapshot Take() const { return machine_->Take(Program()); }
  std::string Program() const {
    std::string built = testing_support::BuiltProgramPath();
    return package->Folder() + built.substr(built.rfind('\\'));
  }
  void CheckInstallFaults(size_t first);
  ProgramRun Remove(const std::string& fault) { return RunWith(fault, {"/U:" + Record(), "/s"}); }

  std::string oldPrefix_;
  std::string prefix_;
  std::unique_ptr<ProductMachine> machine_;
  std::unique_ptr<PackageFixture> package;
};

void ExpectNoneOf(const std::vector<machine_snapshot::Difference>& differences, const std::vector<Allowed>& allowed,
                  const std::string& context) {
  std::string unexpected = machine_snapshot::Unexpected(differences, allowed);
  EXPECT_TRUE(unexpected.empty()) << context << "\n" << unexpected;
}

// The entries that make up an installed product, without times: what a
// complete install shows whenever it ran.
Snapshot Product(const Snapshot& shot) {
  Snapshot product;
  for (const auto& entry : shot) {
    bool inApp = entry.first.find("\\App\\") != std::string::npos;
    bool inRegistry = entry.first.compare(0, 4, "key ") == 0 || entry.first.compare(0, 6, "value ") == 0;
    if (!inApp && !inRegistry && entry.first != "services") continue;
    std::string value = entry.second;
    size_t created = value.find(" created ");
    size_t size = value.find(" size ");
    if (created != std::string::npos && size != std::string::npos) value.erase(created, size - created);
    product[entry.first] = value;
  }
  return product;
}

// Every third fault point from first (1, 2 or 3): the points are shared out
// over three tests so that test runs in parallel take a third of the time.
void RollbackProperty::CheckInstallFaults(size_t first) {
  ProgramRun list = RunWith("list", {"/s"});
  ASSERT_EQ(0, list.exitCode) << package->Log();
  const Snapshot installed = Product(Take());
  const std::vector<std::string> calls = machine_snapshot::ChangeCalls(list.errors);
  std::printf("fault points: %zu\n", calls.size());
  ASSERT_GT(calls.size(), 20u) << list.errors;
  for (size_t n = first; n <= calls.size(); n += 3) {
    const std::string& call = calls[n - 1];
    machine_->Restore("new");
    const Snapshot original = Take();
    ProgramRun run = RunWith(std::to_string(n), {"/s"});
    const std::string log = package->Log();
    const Snapshot after = Take();
    if (run.exitCode == 0) {
      // A failure the install rides over: the product must still be whole
      // and its removal must take everything back.
      ExpectNoneOf(machine_snapshot::Compare(installed, Product(after)), kRiddenOver, call + ", installed");
      ProgramRun removal = Remove("");
      EXPECT_EQ(0, removal.exitCode) << call << "\n" << package->Log();
      ExpectNoneOf(machine_snapshot::Compare(original, Take()), kAfterRemoval, call + ", removed");
      continue;
    }
    EXPECT_EQ(1, run.exitCode) << call;
    ExpectNoneOf(machine_snapshot::Compare(original, after), kAfterFailedInstall, call + ", rolled back");
    EXPECT_NE(std::string::npos, log.find("\r\nInstallation failed!\r\n")) << call;
    EXPECT_FALSE(testing_support::FileExists(Record())) << call;
    // Once the first step has recorded its change, the rollback walk ends there.
    if (log.find("]@@@ Session name ['ProductInstall.StopService'] return code = 0 ") != std::string::npos) {
      EXPECT_NE(std::string::npos, log.find("\r\nRollback:Stopping the spooler\r\n")) << call;
    }
  }
}

TEST_F(RollbackProperty, EveryFailingChangeOfTheInstallIsRolledBack1) { CheckInstallFaults(1); }
TEST_F(RollbackProperty, EveryFailingChangeOfTheInstallIsRolledBack2) { CheckInstallFaults(2); }
TEST_F(RollbackProperty, EveryFailingChangeOfTheInstallIsRolledBack3) { CheckInstallFaults(3); }

// A removal that fails part way keeps its record file and can be run again;
// the second run finishes it. One that succeeds leaves the machine as it was
// before the install.
TEST_F(RollbackProperty, EveryFailingChangeOfTheRemovalCanBeResumed) {
  const Snapshot original = Take();
  ASSERT_EQ(0, RunWith("", {"/s"}).exitCode) << package->Log();
  machine_->Save("installed");
  ProgramRun list = Remove("list");
  ASSERT_EQ(0, list.exitCode) << package->Log();
  const std::vector<std::string> calls = machine_snapshot::ChangeCalls(list.errors);
  std::printf("fault points: %zu\n", calls.size());
  ASSERT_GT(calls.size(), 10u) << list.errors;
  for (size_t n = 1; n <= calls.size(); ++n) {
    const std::string& call = calls[n - 1];
    machine_->Restore("installed");
    ProgramRun run = Remove(std::to_string(n));
    if (run.exitCode != 0) {
      EXPECT_EQ(1, run.exitCode) << call;
      EXPECT_TRUE(package->LogHas("\r\nInstallation failed!\r\n")) << call;
      EXPECT_TRUE(package->LogHas("]EventHandler('Rollback.Error.',OldRet=")) << call;
      ASSERT_TRUE(testing_support::FileExists(Record())) << call << ": a failed removal keeps its record file";
      ProgramRun again = Remove("");
      EXPECT_EQ(0, again.exitCode) << call << ", removed again\n" << package->Log();
    }
    EXPECT_TRUE(package->LogHas("Ret=BRVN_CMD_ROLLBACK_SUCCESS")) << call;
    if (testing_support::FileExists(Record())) {
      EXPECT_TRUE(package->LogHas("*** Warning: Install record file '" + Record() + "' not deleted.")) << call;
    }
    ExpectNoneOf(machine_snapshot::Compare(original, Take()), kAfterRemoval, call + ", removed");
  }
}

// Kills: the install and the removal killed at every change call, just
// before it and just after it (BREVANE_KILL_AT=N, N+), then run again. The
// next run recovers from the journal; a removal then takes everything back.
struct KillCounts {
  int points = 0;
  int runs = 0;
  int recovered = 0;  // the next run found a journal and dealt with it
  int finished = 0;   // the killed run had already got to its end
  void Print(const char* what) const {
    std::printf("%s: %d change points, %d kills, %d recovered from the journal, %d already complete\n", what,
                points, runs, recovered, finished);
  }
};

std::string KillPoint(size_t n, bool after) { return std::to_string(n) + (after ? "+" : ""); }

// Every point with BREVANE_FULL_SWEEP=1 (some minutes); else a spread of
// about six, the first and the last among them, printed.
std::vector<size_t> SweptPoints(size_t points, const char* what) {
  const char* full = std::getenv("BREVANE_FULL_SWEEP");
  const size_t stride = full != nullptr && std::string(full) == "1" ? 1 : std::max<size_t>(1, points / 6);
  std::vector<size_t> chosen;
  std::string text;
  for (size_t n = 1; n <= points; n += stride) chosen.push_back(n);
  if (chosen.back() != points) chosen.push_back(points);
  for (size_t n : chosen) text += " " + std::to_string(n);
  std::printf("%s: killed before and after the change calls%s\n", what, stride == 1 ? " (all)" : text.c_str());
  return chosen;
}

TEST_F(RollbackProperty, EveryKilledInstallIsRecoveredByTheNextRun) {
  ProgramRun list = RunWith("list", {"/s"});
  ASSERT_EQ(0, list.exitCode) << package->Log();
  const Snapshot installed = Product(Take());
  const std::vector<std::string> calls = machine_snapshot::ChangeCalls(list.errors);
  const size_t points = calls.size();
  KillCounts counts;
  counts.points = static_cast<int>(points);
  for (size_t n : SweptPoints(points, "install")) {
    for (bool after : {false, true}) {
      const std::string point = KillPoint(n, after);
      const std::string at = point + " (" + calls[n - 1] + ")";
      machine_->Restore("new");
      const Snapshot original = Take();
      testing_support::SetEnvironment("BREVANE_KILL_AT", point);
      ProgramRun killed = package->Run({"/s"});
      testing_support::SetEnvironment("BREVANE_KILL_AT", "");
      ++counts.runs;
      EXPECT_EQ(-1, killed.exitCode) << at << ": not killed";
      const bool complete = testing_support::FileExists(Record());
      ProgramRun again = RunWith("", {"/s"});
      EXPECT_EQ(complete ? 7 : 0, again.exitCode) << at << "\n" << package->Log();
      if (package->LogHas("Recovery: ")) ++counts.recovered;
      if (complete) ++counts.finished;
      ExpectNoneOf(machine_snapshot::Compare(installed, Product(Take())), {},
                   at + ", installed again\n" + package->Log());
      EXPECT_FALSE(testing_support::FileExists(Record() + ".journal") && !complete) << at;
      ProgramRun removal = Remove("");
      EXPECT_EQ(0, removal.exitCode) << at << "\n" << package->Log();
      ExpectNoneOf(machine_snapshot::Compare(original, Take()), kAfterRemoval, at + ", removed");
      EXPECT_FALSE(testing_support::FileExists(Record() + ".journal")) << at;
    }
  }
  counts.Print("install");
  EXPECT_GT(counts.recovered, counts.runs / 2);
}

TEST_F(RollbackProperty, EveryKilledRemovalIsFinishedByTheNextRun) {
  const Snapshot original = Take();
  ASSERT_EQ(0, RunWith("", {"/s"}).exitCode) << package->Log();
  machine_->Save("installed");
  ProgramRun list = Remove("list");
  ASSERT_EQ(0, list.exitCode) << package->Log();
  const std::vector<std::string> calls = machine_snapshot::ChangeCalls(list.errors);
  const size_t points = calls.size();
  KillCounts counts;
  counts.points = static_cast<int>(points);
  for (size_t n : SweptPoints(points, "removal")) {
    for (bool after : {false, true}) {
      const std::string point = KillPoint(n, after);
      const std::string at = point + " (" + calls[n - 1] + ")";
      machine_->Restore("installed");
      testing_support::SetEnvironment("BREVANE_KILL_AT", point);
      ProgramRun killed = Remove("");
      testing_support::SetEnvironment("BREVANE_KILL_AT", "");
      ++counts.runs;
      EXPECT_EQ(-1, killed.exitCode) << at << ": not killed";
      const bool done = !testing_support::FileExists(Record()) &&
                        !testing_support::FileExists(Record() + ".journal");
      ProgramRun again = Remove("");
      EXPECT_EQ(done ? 3 : 0, again.exitCode) << at << "\n" << package->Log();
      if (package->LogHas("Recovery: ")) ++counts.recovered;
      if (done) ++counts.finished;
      ExpectNoneOf(machine_snapshot::Compare(original, Take()), kAfterRemoval, at + ", removed\n" + package->Log());
      EXPECT_FALSE(testing_support::FileExists(Record())) << at;
      EXPECT_FALSE(testing_support::FileExists(Record() + ".journal")) << at;
    }
  }
  counts.Print("removal");
}

// A second install of an installed hotfix would take the patched files for
// the originals: it stops before changing anything, and the first install
// stays removable.
TEST_F(RollbackProperty, ASecondInstallStopsWithSevenAndTheFirstStaysRemovable) {
  const Snapshot original = Take();
  ASSERT_EQ(0, RunWith("", {"/s"}).exitCode) << package->Log();
  const Snapshot installed = Take();
  ProgramRun again = RunWith("", {"/s"});
  EXPECT_EQ(7, again.exitCode);
  const std::string message = "***Error: This hotfix is already installed (install record file '" + Record() +
                              "'): nothing was changed. To install it again, remove it first with /U:" + Record();
  EXPECT_NE(std::string::npos, again.output.find(message)) << again.output;
  EXPECT_TRUE(package->LogHas(message));
  ExpectNoneOf(machine_snapshot::Compare(installed, Take()), {}, "installed again");
  EXPECT_EQ(0, Remove("").exitCode) << package->Log();
  ExpectNoneOf(machine_snapshot::Compare(original, Take()), kAfterRemoval, "removed");
}

}  // namespace
