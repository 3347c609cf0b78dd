#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "os/profile_text.h"
#include "os/sandbox_posix.h"
#include "os/tests/os_test_support.h"
#include "platform/service_control.h"
#include "tests/support/fake_services.h"
#include "tests/support/test_machine.h"

namespace {

class SandboxServicesTest : public testing::Test {
 protected:
  void Table(const std::string& text) { std::ofstream(Path(), std::ios::binary) << text; }
  std::string State(const std::string& service) {
    std::ostringstream text;
    text << std::ifstream(Path(), std::ios::binary).rdbuf();
    std::string value;
    os::ProfileText(text.str()).FindValue(service, "State", value);
    return value;
  }
  int Start(const std::string& name) {
    std::memset(text_, 0, sizeof(text_));
    return platform::SMStartService("", name, text_, sizeof(text_), {manager_.get(), &clock_});
  }
  int Stop(const std::string& name) {
    std::memset(text_, 0, sizeof(text_));
    return platform::SMStopService("", name, text_, sizeof(text_), {manager_.get(), &clock_});
  }
  static std::string Path() { return os::sandbox::Prefix() + "/services.ini"; }

  testing_support::FakeClock clock_;
  std::unique_ptr<os::ServiceManager> manager_ = os::NewSystemServiceManager(clock_);
  std::string flag_ = testing_support::HostPathOf(testing_support::NewTestFolder()) + "/flag";
  char text_[1024] = {};
};

TEST_F(SandboxServicesTest, ChangesTakeTheirSecondsAndRunTheirCommands) {
  Table("[Spooler]\nStartSeconds=3\nStopSeconds=2\nStartCommand=echo on> " + flag_ +
        "\nStopCommand=rm " + flag_ + "\n");
  EXPECT_EQ(Start("spooler"), 0) << "names match in any case";
  EXPECT_EQ(clock_.sleeps, 3);
  EXPECT_TRUE(std::ifstream(flag_).good());
  EXPECT_EQ(State("Spooler"), "Running");
  EXPECT_EQ(Start("Spooler"), 1056);
  EXPECT_EQ(Stop("Spooler"), 0);
  EXPECT_EQ(clock_.sleeps, 5);
  EXPECT_FALSE(std::ifstream(flag_).good());
  EXPECT_EQ(Stop("Spooler"), 0);
  EXPECT_EQ(State("Spooler"), "Stopped");
}

TEST_F(SandboxServicesTest, FailuresLookAsOnWindows) {
  Table("[Broken]\nStartCommand=exit 3\n[Stubborn]\nState=Running\nStopCommand=exit 1\n"
        "[Slow]\nStartSeconds=200\n");
  EXPECT_EQ(Start("Broken"), 1053) << "stops itself while starting";
  EXPECT_EQ(State("Broken"), "Stopped");
  EXPECT_EQ(Stop("Stubborn"), 1053);
  EXPECT_EQ(State("Stubborn"), "Running");
  EXPECT_EQ(Start("Slow"), 1053);
  EXPECT_EQ(State("Slow"), "StartPending") << "the change goes on beyond the wait";
  clock_.Sleep(50000);
  EXPECT_EQ(Start("Slow"), 1056);
  EXPECT_EQ(State("Slow"), "Running");
  EXPECT_EQ(Start("Unknown"), 1060);
  EXPECT_EQ(std::string(text_), "The specified service does not exist as an installed service.\r\n");
  os_test::FailChangeAt("1");
  EXPECT_EQ(Start("Broken"), 5);
  os_test::FailChangeAt("");
}

}  // namespace
