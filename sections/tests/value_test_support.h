// Shared by the descriptor and section tests: a registry key of the test's
// own below HKEY_CURRENT_USER\Software\BrevaneTests (removed afterwards), a
// dump of a key tree to compare before and after, the change gate, and a
// section handler over a script of the test's items.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/install_record.h"
#include "engine/tests/engine_fixture.h"
#include "os/change_gate.h"
#include "os/registry.h"
#include "os/tests/os_test_support.h"

namespace value_test {

inline void DeleteTree(os::RegRoot root, const std::string& path) {
  std::vector<std::string> subkeys;
  {
    os::RegistryKey key;
    if (key.Open(root, path, os::RegAccess::kRead) != 0) return;
    std::string name;
    for (unsigned long i = 0; key.EnumKey(i, name) == 0; ++i) subkeys.push_back(name);
  }
  for (const std::string& name : subkeys) DeleteTree(root, path + "\\" + name);
  (void)os::DeleteRegistryKey(root, path);
}

// Every key below path with its values, sorted by name: name, type, data.
// (A value put back is listed last by the registry, so order is not kept.)
inline std::string DumpTree(os::RegRoot root, const std::string& path) {
  os::RegistryKey key;
  if (key.Open(root, path, os::RegAccess::kRead) != 0) return "<missing " + path + ">\n";
  std::string out = "[" + path + "]\n";
  std::string name, data;
  unsigned long type = 0;
  std::vector<std::string> values;
  for (unsigned long i = 0; key.EnumValue(i, name, nullptr) == 0; ++i) {
    if (key.QueryValue(name, type, data) != 0) data = "<unreadable>";
    values.push_back(name + ":" + std::to_string(type) + ":" + data + "\n");
  }
  std::sort(values.begin(), values.end());
  for (const std::string& value : values) out += value;
  std::vector<std::string> subkeys;
  for (unsigned long i = 0; key.EnumKey(i, name) == 0; ++i) subkeys.push_back(name);
  for (const std::string& sub : subkeys) out += DumpTree(root, path + "\\" + sub);
  return out;
}

// Makes the nth change call from now fail (0: none fail).
inline void FailNthChange(int n) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", n);
  os_test::FailChangeAt(n == 0 ? "" : text);
}

class RegistryTestKey : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    base_ = "Software\\BrevaneTests\\" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            std::to_string(++counter);
    DeleteTree(os::RegRoot::kCurrentUser, base_);
  }
  void TearDown() override {
    FailNthChange(0);
    DeleteTree(os::RegRoot::kCurrentUser, base_);
  }

  // base_\sub created, with the values given as (name, type, data).
  void MakeKey(const std::string& sub, const std::vector<std::vector<std::string>>& values = {}) {
    os::RegistryKey key;
    ASSERT_EQ(0, key.Create(os::RegRoot::kCurrentUser, Path(sub), nullptr));
    for (const auto& v : values) {
      ASSERT_EQ(0, key.SetValue(v[0], std::stoul(v[1]), v[2])) << v[0];
    }
  }
  std::string Path(const std::string& sub) const { return sub.empty() ? base_ : base_ + "\\" + sub; }
  // "HKCU,<base>\sub"
  std::string Descriptor(const std::string& type, const std::string& sub) const {
    return "Reg:" + type + ",HKCU," + Path(sub);
  }

  std::string base_;
};

// A section handler of type Section over a script whose section sessionName
// holds the test's items; %BASE% is the test's key.
template <typename Section>
class SectionTest : public RegistryTestKey {
 protected:
  explicit SectionTest(std::string session) : session_(std::move(session)) {}
  void Make(const std::string& items, const std::string& symbols = std::string()) {
    f = std::make_unique<testing_support::EngineFixture>("[ProductInstall.Symbols]\r\nBASE=" + base_ + "\r\n" +
                                                         symbols + "[" + session_ + "]\r\n" + items);
    section = std::make_unique<Section>(f->engine.get());
    record = std::make_unique<CHFS_InstallRecord>(f->engine.get());
    record->BeginStep(1);
    f->reporter.log.clear();
  }
  int Run() { return section->Run(session_, *record); }
  int Rollback() { return section->Rollback(session_, *record); }
  // "item param1 param2[ param3]" for each entry of the record.
  std::vector<std::string> Entries() const {
    std::vector<std::string> list;
    for (const RecordEntry& e : record->Entries()) {
      list.push_back(std::to_string(e.item) + " " + e.Param1 + " " + e.Param2 +
                     (e.Param3.empty() ? "" : " " + e.Param3));
    }
    return list;
  }
  // "type:data" of a value below the test's key, or "missing".
  std::string Value(const std::string& sub, const std::string& name) const {
    os::RegistryKey key;
    unsigned long type = 0;
    std::string data;
    if (key.Open(os::RegRoot::kCurrentUser, Path(sub), os::RegAccess::kRead) != 0 ||
        key.QueryValue(name, type, data) != 0) {
      return "missing";
    }
    return std::to_string(type) + ":" + data;
  }

  std::string session_;
  std::unique_ptr<testing_support::EngineFixture> f;
  std::unique_ptr<Section> section;
  std::unique_ptr<CHFS_InstallRecord> record;
};

}  // namespace value_test
