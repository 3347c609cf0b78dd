// Shared by the descriptor and section tests: a registry key of the test's
// own below HKEY_CURRENT_USER\Software\BrevaneTests (removed afterwards), a
// dump of a key tree to compare before and after, and the change gate.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "os/change_gate.h"
#include "os/registry.h"
#include "os/tests/os_test_paths.h"

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

}  // namespace value_test
