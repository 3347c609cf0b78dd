// The script reference's examples and its fleet deployment part, held against
// what the program does and the package layout, so the reference cannot
// drift from them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/brevane_app.h"
#include "engine/builtin_symbols.h"
#include "lint/script_checker.h"
#include "lint/script_text.h"
#include "tests/e2e/package_fixture.h"
#include "tests/support/under_wine.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PackageFixture;

std::string Source(const std::string& relative) { return std::string(BREVANE_SOURCE_DIR) + "/" + relative; }

// The source tree as this program reaches it: under Wine it is on Z:.
std::string Reachable(const std::string& host) {
  return testing_support::RunningUnderWine() ? "Z:" + host : host;
}

std::string WindowsPath(const std::string& host) {
  std::string path = "Z:";
  for (char c : host) path += c == '/' ? '\\' : c;
  return path;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(Reachable(path), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The example folders the reference links to, in its order.
std::vector<std::string> LinkedExamples(const std::string& reference) {
  std::vector<std::string> names;
  const std::regex link(R"re(\(examples/([a-z-]+)/HotFix\.ini\))re");
  for (std::sregex_iterator it(reference.begin(), reference.end(), link), end; it != end; ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

// Copies the example's other files (file groups, templates) beside the script.
void CopyPackageFiles(const std::string& example, const PackageFixture& package) {
  const fs::path from(Reachable(Source("docs/examples/" + example)));
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    if (!entry.is_regular_file() || entry.path().filename() == "HotFix.ini") continue;
    const fs::path to = fs::path(testing_support::HostPathOf(package.Folder())) / fs::relative(entry.path(), from);
    fs::create_directories(to.parent_path());
    fs::copy_file(entry.path(), to, fs::copy_options::overwrite_existing);
  }
}

// The sandbox's service table and quick service waits; Wine has no such
// service, so those examples are only checked there.
bool PrepareServices() {
  const char* prefix = std::getenv("BREVANE_PREFIX");
  if (testing_support::RunningUnderWine() || prefix == nullptr) return false;
  std::ofstream(std::string(prefix) + "/services.ini", std::ios::binary) << "[BrvExample]\r\nState=Running\r\n";
  std::ofstream(std::string(prefix) + "/machine.ini", std::ios::binary | std::ios::app) << "FastServiceWaits=1\n";
  return true;
}

TEST(ReferenceExamplesTest, EachExampleIsCleanInstallsAndIsRemoved) {
  const std::string reference = ReadText(Source("docs/script-reference.md"));
  const std::vector<std::string> examples = LinkedExamples(reference);
  ASSERT_GE(examples.size(), 12u) << "one example per section kind";
  const bool services = PrepareServices();
  for (const std::string& example : examples) {
    SCOPED_TRACE(example);
    const std::string script = ReadText(Source("docs/examples/" + example + "/HotFix.ini"));
    ASSERT_FALSE(script.empty());
    const LintResult lint = CheckScriptFile(WindowsPath(Source("docs/examples/" + example + "/HotFix.ini")), true);
    EXPECT_EQ(lint.ExitStatus(), 0) << lint.Report();
    // A prompt waits for a person; services exist only in the sandbox.
    if (example == "get-user-input" || (!services && example.find("service") != std::string::npos)) continue;
    PackageFixture package(script);
    CopyPackageFiles(example, package);
    testing_support::ProgramRun install = package.Run({"/s"});
    EXPECT_EQ(install.exitCode, 0) << package.Log();
    EXPECT_FALSE(package.LogHas("*** Syntax error")) << package.Log();
    if (script.find("InstallRecordFile=") == std::string::npos) continue;
    const std::string record = TempFolderValue() + "brevane-examples\\" + example + ".rec";
    ASSERT_TRUE(testing_support::FileExists(record)) << package.Log();
    testing_support::ProgramRun removal = package.Run({"/s", "/U:" + record});
    EXPECT_EQ(removal.exitCode, 0) << package.Log();
    EXPECT_FALSE(testing_support::FileExists(record)) << package.Log();
  }
}

// "%A%" replaced from the section's symbols until none is left.
std::string Substituted(std::string text, const ScriptSection& symbols) {
  for (int pass = 0; pass < 8; ++pass) {
    for (const ScriptEntry& entry : symbols.entries) {
      const std::string name = "%" + entry.key + "%";
      for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
        text.replace(at, name.size(), entry.value);
      }
    }
  }
  return text;
}

TEST(ReferenceExamplesTest, FleetDeploymentNamesThePackageAsItIs) {
  const std::string reference = ReadText(Source("docs/script-reference.md"));
  const std::string fleet = reference.substr(reference.find("## Fleet deployment"));
  const ScriptText script(ReadText(Source("examples/sample-hotfix/HotFix.ini")));
  ASSERT_NE(script.Find("ProductInstall.Symbols"), nullptr);
  ASSERT_NE(script.Find("ProductInstall.Main"), nullptr);
  const std::string record = Substituted(script.Find("ProductInstall.Main")->Find("InstallRecordFile")->value,
                                         *script.Find("ProductInstall.Symbols"));
  EXPECT_EQ(record, "%WINDIR%\\Hotfixes\\HF-2.4-0031.rec");
  EXPECT_NE(fleet.find("| uninstall command | `Brevane.exe /S /U:" + record + "` |"), std::string::npos);
  EXPECT_NE(fleet.find("| detection rule | file `" + record + "` exists |"), std::string::npos);
  std::string onMachine = record;
  onMachine.replace(0, 8, "C:\\WINDOWS");
  EXPECT_NE(fleet.find("creates: " + onMachine + "\n"), std::string::npos);
  EXPECT_NE(fleet.find("| install command | `Brevane.exe /S` |"), std::string::npos);
  EXPECT_NE(script.Find("ProductRemove.Rollback"), nullptr) << "the uninstall command needs a removal";
  for (const char* part : {"HotFix.ini", "readme.txt", "FileGroup1", "FileGroup2"}) {
    EXPECT_TRUE(fs::exists(Reachable(Source(std::string("examples/sample-hotfix/") + part)))) << part;
    EXPECT_NE(fleet.find(part), std::string::npos) << part;
  }
  // Every exit status of a run has its class.
  for (int status : {kExitSuccess, kExitFailedRolledBack, kExitStopped, kExitRecordFileNotFound, kExitCancelled,
                     kExitStartupFailure, kExitAlreadyInstalled}) {
    EXPECT_NE(fleet.find("\n| " + std::to_string(status) + " | "), std::string::npos) << status;
  }
}

}  // namespace
