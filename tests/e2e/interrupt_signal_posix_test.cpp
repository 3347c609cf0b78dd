// Ctrl-C on the terminal and SIGTERM in the middle of a large file group: the
// run stops between two files, rolls back in full, exits with status 2, and
// every product file is whole and as it was. The signal lands mid-group for
// sure: it is sent once the first product file has been replaced.
//
// BREVANE_SIGNAL_TEST_MB sets the size of the group (120 MB by default, in
// 24 files; 500 for the full-size run). The product and the package live in
// /dev/shm where there is one.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/package_fixture.h"
#include "tests/e2e/pty_program_posix.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::PtyProgram;

constexpr int kFiles = 24;

int GroupMegabytes() {
  const char* text = std::getenv("BREVANE_SIGNAL_TEST_MB");
  int mb = text != nullptr ? std::atoi(text) : 0;
  return mb > 0 ? mb : 120;
}

std::string Name(int file) { return "f" + std::to_string(100 + file) + ".dat"; }

// Each file's bytes tell the file and the version apart.
std::string Content(int file, char version, size_t size) {
  std::string bytes(size, version);
  for (size_t at = 0; at < size; at += 4096) bytes[at] = static_cast<char>('A' + file);
  return bytes;
}

bool WriteHost(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> NamesIn(const std::string& hostFolder) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(hostFolder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
  }
  return names;
}

// The installed product, the hotfix package and its program, on a memory
// file system where there is one.
class BigGroup {
 public:
  BigGroup() : size_(static_cast<size_t>(GroupMegabytes()) * 1024 * 1024 / kFiles) {
    struct stat st;
    if (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) {
      host_ = "/dev/shm/brevane-signal-" + std::to_string(::getpid());
      windows_ = "Z:" + host_;
      for (char& c : windows_) c = c == '/' ? '\\' : c;
    } else {
      windows_ = testing_support::NewTestFolder();
      host_ = testing_support::HostPathOf(windows_);
    }
    std::string command = "mkdir -p '" + host_ + "/pkg/FileGroup1' '" + host_ + "/app'";
    ok_ = std::system(command.c_str()) == 0;
    ok_ = ok_ && testing_support::CopyProgram(testing_support::BuiltProgramPath(), Program());
    ok_ = ok_ && WriteHost(host_ + "/pkg/HotFix.ini",
                           "[ProductInstall.Main]\r\nInstallRecordFile=" + windows_ + "\\fix.rec\r\n"
                           "StepCount=1\r\nStep1.Section=ProductInstall.CopyFileGroupTo\r\n"
                           "Step1.Description=Copying\r\n[ProductInstall.CopyFileGroupTo]\r\n"
                           "FileGroupCount=1\r\n[FileGroup1]\r\nDescription=Big\r\nTarget=" + windows_ +
                           "\\app\r\nBackup=" + windows_ + "\\saved\r\nFileCount=1\r\nFile1=*.dat\r\n");
    for (int file = 0; file < kFiles && ok_; ++file) {
      ok_ = WriteHost(host_ + "/pkg/FileGroup1/" + Name(file), Content(file, 'n', size_));
    }
  }
  ~BigGroup() {
    std::string command = "rm -rf '" + host_ + "'";
    (void)std::system(command.c_str());
  }

  // The product as before every run: old files with old times.
  bool PutProduct() {
    std::string command = "rm -rf '" + host_ + "/app' '" + host_ + "/saved' && mkdir '" + host_ + "/app'";
    if (std::system(command.c_str()) != 0) return false;
    inodes_.clear();
    for (int file = 0; file < kFiles; ++file) {
      const std::string path = host_ + "/app/" + Name(file);
      if (!WriteHost(path, Content(file, 'o', size_))) return false;
      struct timespec times[2] = {{1000000000, 0}, {1000000000 + file, 0}};
      struct stat st;
      if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0 || ::stat(path.c_str(), &st) != 0) return false;
      inodes_.push_back(st.st_ino);
    }
    return true;
  }

  // True once a product file has been replaced by the run.
  bool OneReplaced() const {
    for (int file = 0; file < kFiles; ++file) {
      struct stat st;
      if (::stat((host_ + "/app/" + Name(file)).c_str(), &st) == 0 && st.st_ino != inodes_[file]) return true;
    }
    return false;
  }

  // Every product file whole and as before, and nothing beside them.
  void ExpectProductAsBefore(const std::string& what) const {
    std::set<std::string> expected;
    for (int file = 0; file < kFiles; ++file) {
      const std::string path = host_ + "/app/" + Name(file);
      expected.insert(Name(file));
      EXPECT_TRUE(ReadHost(path) == Content(file, 'o', size_)) << what << ": " << Name(file);
      struct stat st;
      ASSERT_EQ(0, ::stat(path.c_str(), &st)) << what;
      EXPECT_EQ(1000000000 + file, st.st_mtim.tv_sec) << what << ": " << Name(file);
    }
    EXPECT_EQ(expected, NamesIn(host_ + "/app")) << what;
    EXPECT_EQ(0u, NamesIn(host_).count("fix.rec")) << what << ": no install record file";
  }

  [[nodiscard]] bool Ok() const { return ok_; }
  [[nodiscard]] std::string Program() const {
    std::string built = testing_support::BuiltProgramPath();
    return windows_ + "\\pkg" + built.substr(built.rfind('\\'));
  }
  [[nodiscard]] size_t FileSize() const { return size_; }

 private:
  size_t size_;
  std::string host_;
  std::string windows_;
  bool ok_ = false;
  std::vector<ino_t> inodes_;
};

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(InterruptSignalTest, CtrlCAndSigtermMidGroupRollBackAndExit2) {
  BigGroup group;
  ASSERT_TRUE(group.Ok());
  std::printf("[ signals  ] a group of %d files of %zu bytes\n", kFiles, group.FileSize());
  struct Case {
    const char* name;
    const char* cause;
  };
  for (const Case& c : {Case{"Ctrl-C", "SIGINT received"}, Case{"SIGTERM", "SIGTERM received"}}) {
    ASSERT_TRUE(group.PutProduct()) << c.name;
    std::string before;
    testing_support::ReadFileBytes(testing_support::PackageFixture::kLogPath, before);
    PtyProgram run(group.Program(), {"/s"});
    ASSERT_TRUE(run.Started());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!group.OneReplaced() && std::chrono::steady_clock::now() < deadline) {
      run.Drain();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(group.OneReplaced()) << c.name << ": the copying never began\n" << run.Output();
    if (std::string(c.name) == "Ctrl-C") {
      run.Press("\x03");
    } else {
      ::kill(run.Pid(), SIGTERM);
    }
    // Asked again while it stops and rolls back: nothing is cut short.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    run.Press("\x03");
    EXPECT_EQ(2, run.Wait()) << c.name << "\n" << run.Output();

    std::string after;
    testing_support::ReadFileBytes(testing_support::PackageFixture::kLogPath, after);
    const std::string log = after.substr(before.size());
    EXPECT_NE(std::string::npos, log.find(std::string("*** Interrupted: ") + c.cause +
                                          "; stopping before file '"))
        << c.name << "\n" << log;
    EXPECT_NE(std::string::npos, log.find("*** Interrupted run rolled back.")) << c.name;
    // Stopped in the middle: some files were copied, not all.
    const size_t copied = Count(log, "\\FileGroup1\\f");
    EXPECT_GT(copied, 0u) << c.name;
    EXPECT_LT(copied, static_cast<size_t>(kFiles)) << c.name << "\n" << log;
    EXPECT_NE(std::string::npos, run.Output().find("Installation terminated by user!")) << run.Output();
    group.ExpectProductAsBefore(c.name);
  }
}

}  // namespace
