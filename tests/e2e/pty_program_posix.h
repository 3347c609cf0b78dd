// A program of ours on the slave side of a pseudo-terminal, for the tests
// that answer it as a person would type.
#pragma once

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/test_machine.h"

namespace testing_support {

// The program running on the slave side of a pseudo-terminal.
class PtyProgram {
 public:
  PtyProgram(const std::string& programWindowsPath, const std::vector<std::string>& arguments) {
    std::string host = testing_support::HostPathOf(programWindowsPath);
    std::string folder = host.substr(0, host.rfind('/'));
    child_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (child_ == 0) {
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      std::vector<char*> argv{const_cast<char*>(host.c_str())};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      ::execv(host.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~PtyProgram() {
    if (child_ > 0 && exitCode_ < 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }

  [[nodiscard]] bool Started() const { return child_ > 0 && master_ >= 0; }

  // Reads until the screen output holds text after the last match; false on
  // timeout or when the program has closed the terminal.
  bool Expect(const std::string& text, int seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      size_t at = output_.find(text, matched_);
      if (at != std::string::npos) {
        matched_ = at + text.size();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
    }
  }

  void Type(const std::string& line) {
    std::string bytes = line + "\n";
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Keys as typed, without a line end: "\x03" is Ctrl-C, which the terminal
  // turns into SIGINT for the program's process group.
  void Press(const std::string& keys) { (void)::write(master_, keys.data(), keys.size()); }
  // Reads what the program wrote so far, without waiting.
  void Drain() {
    while (ReadSome(0)) {
    }
  }
  [[nodiscard]] pid_t Pid() const { return child_; }

  int Wait() {
    while (ReadSome(2000)) {
    }
    int status = 0;
    ::waitpid(child_, &status, 0);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return exitCode_;
  }

  [[nodiscard]] const std::string& Output() const { return output_; }

 private:
  bool ReadSome(int milliseconds) {
    pollfd wanted = {master_, POLLIN, 0};
    if (::poll(&wanted, 1, milliseconds) <= 0) return false;
    char buffer[4096];
    ssize_t got = ::read(master_, buffer, sizeof(buffer));
    if (got <= 0) return false;  // EIO once the program has ended
    output_.append(buffer, static_cast<size_t>(got));
    return true;
  }

  int master_ = -1;
  pid_t child_ = -1;
  int exitCode_ = -1;
  std::string output_;
  size_t matched_ = 0;
};

}  // namespace testing_support
