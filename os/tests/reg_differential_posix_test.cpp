// The sandbox registry store against Wine's registry, both ways:
//  - Wine's own HKEY_CURRENT_USER\Software, exported with regedit /E and
//    read through the store, must give every value as Wine's RegQueryValueExA
//    gives it (reg_probe.exe prints those answers);
//  - a store the sandbox wrote, imported into Wine with regedit /S, must give
//    the same values there, and Wine's export of it must read back the same.
// Skipped with the reason where there is no Windows build or Wine.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "os/reg_store_posix.h"
#include "os/reg_text_posix.h"
#include "os/registry.h"
#include "os/sandbox_posix.h"
#include "os/tests/os_test_support.h"
#include "os/tests/profile_probe/profile_cases.h"
#include "os/tests/wine_probe_support.h"
#include "tests/support/test_machine.h"

namespace {

using os::RegRoot;

const char kOurKey[] = "Software\\BrevaneRegDifferential";

struct ProbeValue {
  std::string path;
  std::string name;
  bool wide = false;  // a name the A calls cannot reach
  unsigned long type = 0;
  std::string data;
};

// Runs regedit under Wine. Its exit status says little (wine-run can fail
// on its own output files), so callers check what it did: the exported file,
// the imported values.
void Regedit(const std::string& arguments) {
  std::string output;
  (void)wine_probe::RunCommand(wine_probe::WineRun() + " regedit " + arguments + " 2>&1", output);
}

bool ReadHostFile(const std::string& host, std::string& bytes) {
  std::ifstream in(host, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return static_cast<bool>(in);
}

bool WriteHostFile(const std::string& host, const std::string& bytes) {
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

// Every value the probe printed below root\key.
bool Dump(const std::string& probe, const std::string& root, const std::string& key,
          std::vector<ProbeValue>& values) {
  std::string output;
  const std::string command = probe + " " + root + " " + wine_probe::Quoted(key) + " 2>/dev/null";
  if (!wine_probe::RunUntil(command, "reg-probe end", output)) return false;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream words(line);
    for (std::string word; std::getline(words, word, ' ');) fields.push_back(word);
    if (fields.size() < 3 || (fields[0] != "value" && fields[0] != "wide" && fields[0] != "error")) continue;
    ProbeValue v;
    v.path = profile_probe::Unescape(fields[1]);
    v.name = profile_probe::Unescape(fields[2]);
    v.wide = fields[0] == "wide";
    if (fields[0] == "value" && fields.size() >= 4) {
      v.type = std::stoul(fields[3]);
      v.data = fields.size() >= 5 ? profile_probe::Unescape(fields[4]) : std::string();
    } else if (fields[0] == "error") {
      v.type = ~0ul;  // Wine could not read it: compares with nothing
    }
    values.push_back(v);
  }
  return true;
}

size_t CountValues(const os::regtree::Key& key) {
  size_t count = key.values.size();
  for (const os::regtree::Key& sub : key.subkeys) count += CountValues(sub);
  return count;
}

// Every value Wine answered reads the same from the store, and the store
// holds no other under that key.
void CompareWithStore(RegRoot root, const std::string& key, const std::vector<ProbeValue>& wine) {
  size_t failures = 0;
  for (const ProbeValue& v : wine) {
    if (failures >= 20) break;
    os::RegistryKey handle;
    long opened = handle.Open(root, v.path, os::RegAccess::kRead);
    EXPECT_EQ(0, opened) << v.path;
    if (opened != 0 || v.wide) {
      failures += opened != 0;
      continue;
    }
    unsigned long type = 0;
    std::string data;
    long queried = handle.QueryValue(v.name, type, data);
    bool same = queried == 0 && type == v.type && data == v.data;
    EXPECT_TRUE(same) << v.path << " [" << v.name << "]: store " << queried << " type " << type << " "
                      << profile_probe::Escape(data) << "; Wine type " << v.type << " "
                      << profile_probe::Escape(v.data);
    failures += !same;
  }
  std::string bytes;
  ASSERT_TRUE(ReadHostFile(os::regstore::RootFilePath(root), bytes));
  os::regtree::Key tree;
  ASSERT_TRUE(os::regtext::Parse(bytes, os::RegRootName(root), tree));
  const os::regtree::Key* top = os::regtree::FindPath(tree, os::regtree::SplitPath(key));
  ASSERT_NE(nullptr, top);
  EXPECT_EQ(wine.size(), CountValues(*top));
}

class RegDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    probe_ = wine_probe::ProbeCommand("reg_probe.exe", "reg-probe ready", why);
    if (probe_.empty()) GTEST_SKIP() << why;
    folder_ = testing_support::HostPathOf(testing_support::NewTestFolder());
    ::mkdir((os::sandbox::Prefix() + "/registry").c_str(), 0777);
  }
  std::string probe_;
  std::string folder_;
};

TEST_F(RegDifferential, WineExportReadsTheSameThroughTheStore) {
  // The machine's Software key shows another view to a 64-bit program than
  // regedit exports; the user's is the same in both.
  const std::string exported = folder_ + "/user.reg";
  Regedit("/E " + wine_probe::Quoted(os_test::WindowsPathOfHost(exported)) +
          " 'HKEY_CURRENT_USER\\Software'");
  std::string bytes;
  ASSERT_TRUE(ReadHostFile(exported, bytes));
  ASSERT_TRUE(WriteHostFile(os::regstore::RootFilePath(RegRoot::kCurrentUser), bytes));
  std::vector<ProbeValue> wine;
  ASSERT_TRUE(Dump(probe_, "HKCU", "Software", wine));
  ASSERT_GT(wine.size(), 100u);
  CompareWithStore(RegRoot::kCurrentUser, "Software", wine);
}

TEST_F(RegDifferential, StoreWrittenBySandboxImportsIntoWine) {
  const std::string store = os::regstore::RootFilePath(RegRoot::kCurrentUser);
  // A UTF-16 store with names the code page lacks and a line nothing reads.
  const std::string wide = profile_probe::Utf16File(
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\BrevaneRegDifferential\\\u65e5\u672c key]\r\n"
      u"\"text\"=\"\u65e5\u672c \u20ac\"\r\n\"\u540d\"=dword:00000007\r\n\"broken\"=\"unterminated\r\n");
  ASSERT_TRUE(WriteHostFile(store, wide));
  os::RegistryKey key;
  ASSERT_EQ(0, key.Create(RegRoot::kCurrentUser, std::string(kOurKey) + "\\Written", nullptr));
  std::string blob(100, '\0');
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i * 7);
  const struct {
    const char* name;
    unsigned long type;
    std::string data;
  } values[] = {
      {"", os::kRegSz, "default"},
      {"sz \"quoted\" \\", os::kRegSz, "C:\\dir\\\"q\" \x80\xe9"},
      {"expand", os::kRegExpandSz, "%TEMP%\\x"},
      {"multi", os::kRegMultiSz, std::string("a\0bc\0\0", 6)},
      {"lines", os::kRegSz, "a\r\nb"},
      {"binary", os::kRegBinary, blob},
      {"empty", os::kRegBinary, ""},
      {"dword", os::kRegDword, os::RegDwordData(42)},
      {"qword", os::kRegQword, std::string("\x01\0\0\0\0\0\0\x80", 8)},
      {"none", os::kRegNone, "\x05"},
  };
  for (const auto& v : values) ASSERT_EQ(0, key.SetValue(v.name, v.type, v.data)) << v.name;

  const std::string ours = folder_ + "/ours.reg";
  const std::string removal = folder_ + "/remove.reg";
  std::string bytes;
  ASSERT_TRUE(ReadHostFile(store, bytes));
  ASSERT_TRUE(WriteHostFile(ours, bytes));
  ASSERT_TRUE(WriteHostFile(
      removal, std::string("Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\") + kOurKey + "]\r\n"));
  Regedit("/S " + wine_probe::Quoted(os_test::WindowsPathOfHost(removal)));
  Regedit("/S " + wine_probe::Quoted(os_test::WindowsPathOfHost(ours)));
  std::vector<ProbeValue> wine;
  ASSERT_TRUE(Dump(probe_, "HKCU", kOurKey, wine));
  EXPECT_EQ(12u, wine.size());
  CompareWithStore(RegRoot::kCurrentUser, kOurKey, wine);

  // Wine's export of what it imported reads back the same.
  const std::string again = folder_ + "/again.reg";
  Regedit("/E " + wine_probe::Quoted(os_test::WindowsPathOfHost(again)) + " " +
          wine_probe::Quoted(std::string("HKEY_CURRENT_USER\\") + kOurKey));
  ASSERT_TRUE(ReadHostFile(again, bytes));
  ASSERT_TRUE(WriteHostFile(store, bytes));
  CompareWithStore(RegRoot::kCurrentUser, kOurKey, wine);
  Regedit("/S " + wine_probe::Quoted(os_test::WindowsPathOfHost(removal)));
}

}  // namespace
