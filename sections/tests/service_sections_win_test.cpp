#include <windows.h>

#include <gtest/gtest.h>

#include "engine/main_section.h"
#include "engine/tests/engine_fixture.h"

namespace {

DWORD StateOf(SC_HANDLE service) {
  SERVICE_STATUS status = {};
  return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// Waits as long as a package would (about 150 seconds): a loaded build
// machine can take many seconds to start a process under Wine.
bool WaitFor(SC_HANDLE service, DWORD state) {
  for (int i = 0; i < 1500 && StateOf(service) != state; ++i) ::Sleep(100);
  return StateOf(service) == state;
}

// Installs the test service, built beside the tests, for one test.
class RealServiceTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string binary = std::string("\"Z:") + BREVANE_TEST_SERVICE + "\"";
    for (char& c : binary) c = c == '/' ? '\\' : c;
    manager_ = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    service_ = ::CreateServiceA(manager_, name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS,
                                SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service_, nullptr) << "CreateServiceA: " << ::GetLastError();
    // A service manager that has just come up is still starting its own
    // services and answers 1055 (database locked) meanwhile, for as long as
    // its own wait for a service (two minutes here); a start it gave up on
    // (1053) may still come up, and is then running (1056). Wait those out;
    // any other failure ends the test with its code.
    DWORD error = 0;
    const DWORD begun = ::GetTickCount();
    for (;;) {
      error = ::StartServiceA(service_, 0, nullptr) ? 0 : ::GetLastError();
      if (error == ERROR_SERVICE_ALREADY_RUNNING) error = 0;
      if (error != ERROR_SERVICE_DATABASE_LOCKED && error != ERROR_SERVICE_REQUEST_TIMEOUT) break;
      if (::GetTickCount() - begun > 180000) break;
      ::Sleep(500);
    }
    ASSERT_EQ(error, 0u) << "StartServiceA";
    SERVICE_STATUS status = {};
    ASSERT_TRUE(WaitFor(service_, SERVICE_RUNNING)) << "state " << StateOf(service_);
    ASSERT_TRUE(::ControlService(service_, SERVICE_CONTROL_STOP, &status)) << ::GetLastError();
    ASSERT_TRUE(WaitFor(service_, SERVICE_STOPPED)) << "state " << StateOf(service_);
  }
  void TearDown() override {
    SERVICE_STATUS status = {};
    if (service_ != nullptr && StateOf(service_) != SERVICE_STOPPED) {
      ::ControlService(service_, SERVICE_CONTROL_STOP, &status);
    }
    if (service_ != nullptr) ::DeleteService(service_), ::CloseServiceHandle(service_);
    if (manager_ != nullptr) ::CloseServiceHandle(manager_);
  }

  std::string name_ = "BrevaneTestSvc" + std::to_string(::GetCurrentProcessId());
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

TEST_F(RealServiceTest, APackageStartsAndStopsItAndItsRollbackDoesBoth) {
  testing_support::EngineFixture f(
      "[ProductInstall.Main]\r\nStepCount=3\r\n"
      "Step1.Section=ProductInstall.StartService\r\nStep2.Section=ProductInstall.StopService\r\n"
      "Step3.Section=ProductInstall.ReplaceSymbolsInFile\r\n"
      "[ProductInstall.StartService]\r\nServiceCount=1\r\nService1=" + name_ + "\r\n"
      "[ProductInstall.StopService]\r\nServiceCount=2\r\nService1=" + name_ + "\r\nService2=" +
      name_ + "Missing\r\nService2.Error.Action=BRVN_CONTINUE\r\n"
      "[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=1\r\n"
      "File1.Source=C:\\no\\such\\template\r\nFile1.Output=C:\\no\\such\\output\r\n");
  CHFS_MainSection runner(f.engine.get());
  CHFS_InstallRecord record(f.engine.get());
  EXPECT_EQ(runner.Run("ProductInstall.Main", record), -1);
  EXPECT_EQ(record.size(), 2u);
  EXPECT_EQ(runner.Rollback("ProductInstall.Main", record), 0);
  EXPECT_EQ(StateOf(service_), static_cast<DWORD>(SERVICE_STOPPED));

  // The start, the stop, then the stop undone (a start) and the start undone.
  std::vector<std::string> calls;
  for (const std::string& line : f.reporter.Lines()) {
    if (line.rfind("SMSt", 0) == 0) calls.push_back(line);
  }
  const std::string start = "SMStartService('" + name_ + "') ret=0";
  const std::string stop = "SMStopService('" + name_ + "') ret=0";
  EXPECT_EQ(calls, (std::vector<std::string>{start, stop, "SMStopService('" + name_ + "Missing') ret=1060",
                                             start, stop}));
}

}  // namespace
