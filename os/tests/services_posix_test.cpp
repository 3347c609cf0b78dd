#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "os/errors.h"
#include "os/profile_text.h"
#include "os/sandbox_posix.h"
#include "os/services.h"
#include "os/tests/os_test_paths.h"
#include "platform/service_control.h"
#include "tests/support/fake_services.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::FakeClock;

std::string TablePath() { return os::sandbox::Prefix() + "/services.ini"; }

void WriteTable(const std::string& text) {
  std::ofstream out(TablePath(), std::ios::binary | std::ios::trunc);
  out << text;
}

std::string TableValue(const std::string& service, const std::string& key) {
  std::ifstream in(TablePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string value;
  os::ProfileText(text.str()).FindValue(service, key, value);
  return value;
}

class SandboxServicesTest : public testing::Test {
 protected:
  void SetUp() override {
    flag_ = testing_support::HostPathOf(testing_support::NewTestFolder()) + "/flag";
    manager_ = os::NewSystemServiceManager(clock_);
  }
  int Start(const std::string& name) {
    return platform::SMStartService("", name, text_, sizeof(text_), {manager_.get(), &clock_});
  }
  int Stop(const std::string& name) {
    return platform::SMStopService("", name, text_, sizeof(text_), {manager_.get(), &clock_});
  }

  FakeClock clock_;
  std::unique_ptr<os::ServiceManager> manager_;
  std::string flag_;
  char text_[1024] = {};
};

TEST_F(SandboxServicesTest, StartAndStopTakeTheirTimeAndRunTheirCommands) {
  WriteTable("[Spooler]\nState=Stopped\nStartSeconds=3\nStopSeconds=2\nStartCommand=echo on> " + flag_ +
             "\nStopCommand=rm " + flag_ + "\n");
  EXPECT_EQ(Start("spooler"), 0) << "names match in any case";
  EXPECT_EQ(clock_.sleeps, 3) << "running 3 s after the request";
  EXPECT_TRUE(std::ifstream(flag_).good());
  EXPECT_EQ(TableValue("Spooler", "State"), "Running");
  EXPECT_EQ(TableValue("Spooler", "PendingUntil"), "") << "finished changes leave no trace";

  EXPECT_EQ(Start("Spooler"), 1056);
  EXPECT_EQ(clock_.sleeps, 3);

  EXPECT_EQ(Stop("Spooler"), 0);
  EXPECT_EQ(clock_.sleeps, 5);
  EXPECT_FALSE(std::ifstream(flag_).good());
  EXPECT_EQ(TableValue("Spooler", "State"), "Stopped");
  EXPECT_EQ(Stop("Spooler"), 0) << "not running: nothing to wait for";
  EXPECT_EQ(clock_.sleeps, 5);
}

TEST_F(SandboxServicesTest, AFailingStartCommandStopsTheServiceWhileItStarts) {
  WriteTable("[Broken]\nStartCommand=exit 3\nStartSeconds=1\n");
  EXPECT_EQ(Start("Broken"), 1053);
  EXPECT_EQ(clock_.sleeps, 151);
  EXPECT_EQ(TableValue("Broken", "State"), "Stopped");
  EXPECT_EQ(std::string(text_), os::ServiceErrorMessage(1053));
}

TEST_F(SandboxServicesTest, AFailingStopCommandLeavesTheServiceRunning) {
  WriteTable("[Stubborn]\nState=Running\nStopCommand=exit 1\n");
  EXPECT_EQ(Stop("Stubborn"), 1053);
  EXPECT_EQ(clock_.sleeps, 1);
  EXPECT_EQ(TableValue("Stubborn", "State"), "Running");
}

TEST_F(SandboxServicesTest, PendingChangesOutliveTheProcessThatAskedForThem) {
  WriteTable("[Slow]\nStartSeconds=200\n");
  EXPECT_EQ(Start("Slow"), 1053);
  EXPECT_EQ(TableValue("Slow", "State"), "StartPending");
  unsigned long error = 0;
  std::unique_ptr<os::Service> slow = manager_->Open("", "Slow", error);
  ASSERT_TRUE(slow);
  unsigned long state = 0;
  EXPECT_EQ(slow->Stop(state), os::kErrorServiceCannotAcceptCtrl);
  clock_.Sleep(50000);
  EXPECT_EQ(slow->QueryState(state), 0u);
  EXPECT_EQ(state, os::kServiceRunning);
}

TEST_F(SandboxServicesTest, UnknownServicesRemoteMachinesAndRefusedChanges) {
  WriteTable("[Known]\nState=Stopped\n");
  EXPECT_EQ(Start("Unknown"), 1060);
  EXPECT_EQ(std::string(text_), "The specified service does not exist as an installed service.\r\n");
  unsigned long error = 0;
  EXPECT_FALSE(manager_->Open("\\\\elsewhere", "Known", error));
  EXPECT_EQ(error, 1722u);

  os_test::FailChangeAt("1");
  int refused = Start("Known");
  os_test::FailChangeAt("");
  EXPECT_EQ(refused, 5);
  EXPECT_EQ(TableValue("Known", "State"), "Stopped");
}

}  // namespace
