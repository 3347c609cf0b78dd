#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/main_section.h"
#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

struct ScHandle {
  explicit ScHandle(SC_HANDLE h) : handle(h) {}
  ~ScHandle() {
    if (handle != nullptr) ::CloseServiceHandle(handle);
  }
  SC_HANDLE handle;
};

std::string WindowsPathOfHost(const std::string& host) {
  if (host.empty() || host[0] != '/') return host;
  std::string path = "Z:";
  for (char c : host) path += c == '/' ? '\\' : c;
  return path;
}

DWORD StateOf(SC_HANDLE service) {
  SERVICE_STATUS status = {};
  return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// Installs the test service under a name of its own for one test and removes
// it afterwards.
class RealServiceTest : public testing::Test {
 protected:
  void SetUp() override {
    name_ = "BrevaneTestSvc" + std::to_string(::GetCurrentProcessId());
    ASSERT_NE(manager_.handle, nullptr) << "service manager: " << ::GetLastError();
    std::string binary = "\"" + WindowsPathOfHost(BREVANE_TEST_SERVICE) + "\"";
    service_.handle = ::CreateServiceA(manager_.handle, name_.c_str(), name_.c_str(),
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(),
                                       nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service_.handle, nullptr) << "CreateServiceA: " << ::GetLastError();
    WarmUp();
  }

  // A service manager that has just come up is still starting its own
  // services and answers 1055 (database locked) meanwhile; start and stop
  // the service once, waiting that out, so the test sees a settled manager.
  void WarmUp() {
    for (int i = 0; i < 120 && !::StartServiceA(service_.handle, 0, nullptr); ++i) {
      ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DATABASE_LOCKED));
      ::Sleep(500);
    }
    for (int i = 0; i < 100 && StateOf(service_.handle) != SERVICE_RUNNING; ++i) ::Sleep(100);
    SERVICE_STATUS status = {};
    ASSERT_TRUE(::ControlService(service_.handle, SERVICE_CONTROL_STOP, &status)) << ::GetLastError();
    for (int i = 0; i < 100 && StateOf(service_.handle) != SERVICE_STOPPED; ++i) ::Sleep(100);
    ASSERT_EQ(StateOf(service_.handle), static_cast<DWORD>(SERVICE_STOPPED));
  }
  void TearDown() override {
    if (service_.handle == nullptr) return;
    SERVICE_STATUS status = {};
    if (StateOf(service_.handle) != SERVICE_STOPPED) {
      ::ControlService(service_.handle, SERVICE_CONTROL_STOP, &status);
    }
    ::DeleteService(service_.handle);
  }

  std::string name_;
  ScHandle manager_{::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};
  ScHandle service_{nullptr};
};

TEST_F(RealServiceTest, APackageStartsAndStopsItAndItsRollbackDoesBoth) {
  EngineFixture f(
      "[ProductInstall.Main]\r\nStepCount=3\r\n"
      "Step1.Section=ProductInstall.StartService\r\nStep2.Section=ProductInstall.StopService\r\n"
      "Step3.Section=ProductInstall.ReplaceSymbolsInFile\r\n"
      "[ProductInstall.StartService]\r\nServiceCount=1\r\nService1=" + name_ + "\r\n"
      "[ProductInstall.StopService]\r\nServiceCount=1\r\nService1=" + name_ + "\r\n"
      "[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=1\r\n"
      "File1.Source=C:\\no\\such\\template\r\nFile1.Output=C:\\no\\such\\output\r\n");
  CHFS_MainSection runner(f.engine.get());
  CHFS_InstallRecord record(f.engine.get());
  EXPECT_EQ(runner.Run("ProductInstall.Main", record), -1);
  EXPECT_EQ(StateOf(service_.handle), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(record.size(), 2u);
  EXPECT_EQ(runner.Rollback("ProductInstall.Main", record), 0);
  EXPECT_EQ(StateOf(service_.handle), static_cast<DWORD>(SERVICE_STOPPED));

  // In order: the start, the stop, then the stop undone (a start) and the
  // start undone (a stop).
  std::vector<std::string> calls;
  for (const std::string& line : f.reporter.Lines()) {
    if (line.rfind("SMSt", 0) == 0) calls.push_back(line);
  }
  const std::string start = "SMStartService('" + name_ + "') ret=0";
  const std::string stop = "SMStopService('" + name_ + "') ret=0";
  EXPECT_EQ(calls, (std::vector<std::string>{start, stop, start, stop}));
}

TEST_F(RealServiceTest, AnUnknownServiceGivesTheSystemsCodeAndText) {
  EngineFixture g("[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.StartService\r\n"
                  "[ProductInstall.StartService]\r\nServiceCount=1\r\nService1=" + name_ + "Missing\r\n");
  CHFS_MainSection walk(g.engine.get());
  CHFS_InstallRecord gRecord(g.engine.get());
  EXPECT_EQ(walk.Run("ProductInstall.Main", gRecord), -1);
  EXPECT_TRUE(g.reporter.Logged("SMStartService('" + name_ + "Missing') ret=1060"));
  bool shown = false;
  for (const std::string& detail : g.reporter.details) {
    shown = shown || detail.find("does not exist") != std::string::npos;
  }
  EXPECT_TRUE(shown);
}

}  // namespace
