#include <gtest/gtest.h>

#include "engine/builtin_symbols.h"
#include "engine/tests/engine_fixture.h"
#include "os/registry.h"
#include "os/sandbox_posix.h"

namespace {

// The sandbox machine without a computer name of its own.
void DropComputerName() {
  os::sandbox::OwnFilesReachable own;
  testing_support::WriteFileBytes(
      os::sandbox::WindowsPathOfHost(os::sandbox::Prefix() + "/machine.ini"),
      "[Machine]\nPlatformId=2\nMajorVersion=6\nMinorVersion=1\nWindowsFolder=C:\\WINDOWS\n"
      "TempFolder=C:\\TEMP\\\n");
}

TEST(ComputerNameTest, FallsBackToTheRegistryThenToEmpty) {
  DropComputerName();
  {
    testing_support::EngineFixture f("[ProductInstall.Main]\r\n");
    EXPECT_EQ(f.engine->GetSymbol("COMPUTER"), "");
    EXPECT_TRUE(f.reporter.Logged("@ Update Global Symbol table: 'COMPUTER'=''"));
    EXPECT_EQ(f.engine->GetSymbol("OS_TYPE"), "") << "NT 6.x has no type name";
  }
  os::RegistryKey key;
  ASSERT_EQ(key.Create(os::RegRoot::kLocalMachine,
                       "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", nullptr),
            0);
  ASSERT_EQ(key.SetValue("ComputerName", os::kRegSz, "LEDGER-01"), 0);
  EXPECT_EQ(ComputerNameValue(), "LEDGER-01");
  ASSERT_EQ(key.SetValue("ComputerName", os::kRegSz, std::string(150, 'N')), 0);
  EXPECT_EQ(ComputerNameValue(), "") << "a name beyond the 100-byte buffer does not fit";
}

}  // namespace
