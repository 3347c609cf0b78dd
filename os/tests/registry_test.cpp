// The registry calls as a program sees them, run against the real registry
// under Wine and against the sandbox store on POSIX. Every test works below
// its own key of HKEY_CURRENT_USER\Software\BrevaneTests and removes it.
#include "os/registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "os/change_gate.h"
#include "os/errors.h"

namespace {

using os::RegAccess;
using os::RegDisposition;
using os::RegistryKey;
using os::RegRoot;

const RegRoot kRoot = RegRoot::kCurrentUser;
const char kTestsKey[] = "Software\\BrevaneTests";

void SetFailAt(const char* value) {
#ifdef _WIN32
  _putenv_s("BREVANE_FAIL_AT", value);
#else
  if (*value == '\0') {
    unsetenv("BREVANE_FAIL_AT");
  } else {
    setenv("BREVANE_FAIL_AT", value, 1);
  }
#endif
  os::ResetChangeGateForTesting();
}

// Deletes a key and everything below it, deepest first.
void DeleteTree(RegRoot root, const std::string& path) {
  std::vector<std::string> subkeys;
  {
    RegistryKey key;
    if (key.Open(root, path, RegAccess::kRead) != 0) return;
    std::string name;
    for (unsigned long i = 0; key.EnumKey(i, name) == 0; ++i) subkeys.push_back(name);
  }
  for (const std::string& name : subkeys) DeleteTree(root, path + "\\" + name);
  (void)os::DeleteRegistryKey(root, path);
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    base_ = std::string(kTestsKey) + "\\" + test + std::to_string(++counter);
    DeleteTree(kRoot, base_);
  }
  void TearDown() override {
    SetFailAt("");
    DeleteTree(kRoot, base_);
    (void)os::DeleteRegistryKey(kRoot, kTestsKey);  // once the last test is gone
  }

  std::string Path(const std::string& sub) const {
    return sub.empty() ? base_ : base_ + "\\" + sub;
  }

  // A fresh writable key at base_\sub.
  RegistryKey Make(const std::string& sub = std::string()) {
    RegistryKey key;
    EXPECT_EQ(0, key.Create(kRoot, Path(sub), nullptr));
    return key;
  }

  std::string base_;
};

TEST_F(RegistryTest, CreateReportsWhetherTheKeyWasNew) {
  RegistryKey key;
  RegDisposition how = RegDisposition::kNone;
  ASSERT_EQ(0, key.Create(kRoot, Path("A\\B\\C"), &how));
  EXPECT_EQ(RegDisposition::kCreatedNewKey, how);
  EXPECT_EQ(std::string("HKEY_CURRENT_USER\\") + Path("A\\B\\C"), key.FullName());

  RegistryKey again;
  ASSERT_EQ(0, again.Create(kRoot, Path("a\\b\\c"), &how));
  EXPECT_EQ(RegDisposition::kOpenedExistingKey, how);

  RegistryKey parent;
  EXPECT_EQ(0, parent.Open(kRoot, Path("A\\B"), RegAccess::kRead));
  RegistryKey missing;
  EXPECT_EQ(2, missing.Open(kRoot, Path("A\\Missing"), RegAccess::kRead));
  EXPECT_FALSE(missing.valid());
}

TEST_F(RegistryTest, AFailedOpenLeavesTheKeyClosed) {
  Make("Present");
  RegistryKey key;
  ASSERT_EQ(0, key.Open(kRoot, Path("Present"), RegAccess::kAllAccess));
  EXPECT_EQ(2, key.Open(kRoot, Path("Absent"), RegAccess::kAllAccess));
  EXPECT_FALSE(key.valid());
  EXPECT_EQ(6, key.SetValue("V", os::kRegSz, "x")) << "nothing written to the earlier key";
  EXPECT_TRUE(key.FullName().empty());
}

TEST_F(RegistryTest, CreateAndOpenBelowAnOpenKey) {
  RegistryKey base = Make();
  RegistryKey child;
  RegDisposition how = RegDisposition::kNone;
  ASSERT_EQ(0, child.Create(base, "Sub\\Deep", &how));
  EXPECT_EQ(RegDisposition::kCreatedNewKey, how);
  RegistryKey same;
  EXPECT_EQ(0, same.Open(base, "SUB\\deep", RegAccess::kRead));
  EXPECT_EQ(5, base.DeleteSubKey("Sub"));  // still has Deep
  EXPECT_EQ(0, base.DeleteSubKey("Sub\\Deep"));
  EXPECT_EQ(0, base.DeleteSubKey("Sub"));
  EXPECT_EQ(2, same.Open(base, "Sub", RegAccess::kRead));
}

TEST_F(RegistryTest, PathForms) {
  Make("A\\B");
  for (const char* sub : {"A\\", "A\\\\B", "a\\b"}) {
    RegistryKey key;
    EXPECT_EQ(0, key.Open(kRoot, base_ + "\\" + sub, RegAccess::kRead)) << sub;
  }
  RegistryKey rooted;
  EXPECT_EQ(161, rooted.Open(kRoot, "\\" + base_, RegAccess::kRead)) << "a leading backslash";
  RegistryKey base = Make();
  RegistryKey self;
  ASSERT_EQ(0, self.Open(base, "", RegAccess::kAllAccess));
  ASSERT_EQ(0, self.SetValue("Seen", os::kRegDword, os::RegDwordData(1)));
  EXPECT_EQ(0, base.QueryValue("Seen", nullptr, nullptr, nullptr));
}

TEST_F(RegistryTest, AnUnknownRootIsNoHandle) {
  const RegRoot bogus = static_cast<RegRoot>(0x12345UL);
  RegistryKey key;
  EXPECT_EQ(6, key.Open(bogus, "Software", RegAccess::kRead));
  EXPECT_EQ(6, key.Create(bogus, "Software\\X", nullptr));
  EXPECT_EQ(6, os::DeleteRegistryKey(bogus, "Software\\X"));
}

TEST_F(RegistryTest, StringValueGetsItsNulCountedAndReadsBackByTheRules) {
  RegistryKey key = Make();
  ASSERT_EQ(0, key.SetValue("Str", os::kRegSz, "abc"));  // cbData = strlen

  unsigned long type = 0;
  unsigned long size = 0;
  ASSERT_EQ(0, key.QueryValue("Str", &type, nullptr, &size));
  EXPECT_EQ(os::kRegSz, type);
  EXPECT_EQ(4u, size);

  char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  size = 3;
  EXPECT_EQ(234, key.QueryValue("Str", &type, buffer, &size));
  EXPECT_EQ(4u, size);
  EXPECT_EQ('x', buffer[0]) << "a buffer too small stays untouched";

  size = sizeof(buffer);
  ASSERT_EQ(0, key.QueryValue("str", &type, buffer, &size));
  EXPECT_EQ(4u, size);
  EXPECT_EQ(std::string("abc", 4), std::string(buffer, size));

  ASSERT_EQ(0, key.SetValue("Counted", os::kRegSz, std::string("abc", 4)));
  std::string data;
  ASSERT_EQ(0, key.QueryValue("Counted", type, data));
  EXPECT_EQ(std::string("abc", 4), data);
}

TEST_F(RegistryTest, DataIsKeptByteForByte) {
  RegistryKey key = Make();
  std::string big(5000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  struct Case {
    const char* name;
    unsigned long type;
    std::string given;
    std::string read;
  } cases[] = {
      {"Dword", os::kRegDword, os::RegDwordData(0xFFFFFFFFUL), std::string(4, '\xff')},
      {"ShortDword", os::kRegDword, std::string("\x2a\x00", 2), std::string("\x2a\x00", 2)},
      {"Binary", os::kRegBinary, std::string("\x00\x01\x00\xfe", 4),
       std::string("\x00\x01\x00\xfe", 4)},
      {"EmptyBinary", os::kRegBinary, std::string(), std::string()},
      {"Multi", os::kRegMultiSz, std::string("a\0bc\0\0", 6), std::string("a\0bc\0\0", 6)},
      {"Expand", os::kRegExpandSz, "%TEMP%\\x", std::string("%TEMP%\\x\0", 9)},
      {"Ansi", os::kRegSz, "\xe9\x80\x81", std::string("\xe9\x80\x81\0", 4)},
      {"EmptyString", os::kRegSz, std::string(), std::string()},
      {"Big", os::kRegBinary, big, big},
      {"Qword", os::kRegQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8),
       std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
  };
  for (const Case& c : cases) ASSERT_EQ(0, key.SetValue(c.name, c.type, c.given)) << c.name;
  for (const Case& c : cases) {
    unsigned long type = 0;
    std::string data;
    ASSERT_EQ(0, key.QueryValue(c.name, type, data)) << c.name;
    EXPECT_EQ(c.type, type) << c.name;
    EXPECT_EQ(c.read, data) << c.name;
  }
  unsigned long dword = 0;
  unsigned long size = 2;
  EXPECT_EQ(234, key.QueryValue("Dword", nullptr, &dword, &size)) << "4 bytes into 2";
  EXPECT_EQ(4u, size);
  char buffer[4096];
  size = sizeof(buffer);
  EXPECT_EQ(234, key.QueryValue("Big", nullptr, buffer, &size));
  EXPECT_EQ(5000u, size);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheFirstSpelling) {
  RegistryKey key = Make("Mixed");
  ASSERT_EQ(0, key.SetValue("Name", os::kRegSz, "one"));
  ASSERT_EQ(0, key.SetValue("NAME", os::kRegDword, os::RegDwordData(2)));
  std::string name;
  unsigned long type = 0;
  ASSERT_EQ(0, key.EnumValue(0, name, &type));
  EXPECT_EQ("Name", name);
  EXPECT_EQ(os::kRegDword, type);
  EXPECT_EQ(259, key.EnumValue(1, name, &type));

  RegistryKey base = Make();
  ASSERT_EQ(0, base.EnumKey(0, name));
  EXPECT_EQ("Mixed", name);
}

TEST_F(RegistryTest, EnumerationListsEachNameOnceAndEndsWith259) {
  RegistryKey key = Make();
  for (const char* sub : {"b", "C", "a"}) Make(sub);
  for (const char* value : {"v2", "v1", "v3"}) ASSERT_EQ(0, key.SetValue(value, os::kRegSz, "x"));

  std::string name;
  std::string keys;
  unsigned long index = 0;
  while (key.EnumKey(index, name) == 0) keys += name + ",", ++index;
  EXPECT_EQ("a,b,C,", keys) << "subkeys come sorted, ignoring case";
  EXPECT_EQ(259, key.EnumKey(index, name));

  // Real Windows gives values in the order set, Wine sorts them: only the
  // set is common ground.
  std::set<std::string> values;
  for (index = 0; key.EnumValue(index, name, nullptr) == 0; ++index) values.insert(name);
  EXPECT_EQ((std::set<std::string>{"v1", "v2", "v3"}), values);
  EXPECT_EQ(3u, index);
  EXPECT_EQ(259, key.EnumValue(index, name, nullptr));
}

TEST_F(RegistryTest, DeletingValues) {
  RegistryKey key = Make();
  EXPECT_EQ(2, key.QueryValue("", nullptr, nullptr, nullptr)) << "no default value yet";
  ASSERT_EQ(0, key.SetValue("", os::kRegSz, "default"));
  ASSERT_EQ(0, key.SetValue("Gone", os::kRegSz, "x"));
  EXPECT_EQ(2, key.DeleteValue("Missing"));
  EXPECT_EQ(0, key.DeleteValue("GONE"));
  EXPECT_EQ(2, key.QueryValue("Gone", nullptr, nullptr, nullptr));
  std::string data;
  unsigned long type = 0;
  ASSERT_EQ(0, key.QueryValue("", type, data));
  EXPECT_EQ(std::string("default", 8), data);
}

TEST_F(RegistryTest, DeletingKeys) {
  RegistryKey leaf = Make("Parent\\Leaf");
  ASSERT_EQ(0, leaf.SetValue("V", os::kRegSz, "x"));
  EXPECT_EQ(5, os::DeleteRegistryKey(kRoot, Path("Parent"))) << "a key with subkeys stays";
  EXPECT_EQ(2, os::DeleteRegistryKey(kRoot, Path("Nope")));
  EXPECT_EQ(0, os::DeleteRegistryKey(kRoot, Path("parent\\leaf")));

  // The handle outlives its key.
  EXPECT_EQ(1018, leaf.QueryValue("V", nullptr, nullptr, nullptr));
  EXPECT_EQ(1018, leaf.SetValue("V", os::kRegSz, "y"));
  std::string name;
  EXPECT_EQ(1018, leaf.EnumValue(0, name, nullptr));

  RegistryKey self = Make("Parent\\Self");
  EXPECT_EQ(0, self.DeleteSubKey("")) << "a key deletes itself";
  EXPECT_EQ(1018, self.SetValue("V", os::kRegSz, "x"));

  EXPECT_EQ(0, os::DeleteRegistryKey(kRoot, Path("Parent")));
  EXPECT_EQ(5, os::DeleteRegistryKey(kRoot, "")) << "a root is never deleted";
}

TEST_F(RegistryTest, ReadOnlyHandleRefusesChanges) {
  Make();
  RegistryKey key;
  ASSERT_EQ(0, key.Open(kRoot, base_, RegAccess::kRead));
  EXPECT_EQ(5, key.SetValue("X", os::kRegSz, "a"));
  EXPECT_EQ(5, key.DeleteValue("X"));
  EXPECT_EQ(2, key.QueryValue("X", nullptr, nullptr, nullptr));
}

TEST_F(RegistryTest, RefusedChangesFailAsAccessDeniedAndChangeNothing) {
  RegistryKey key = Make();
  ASSERT_EQ(0, key.SetValue("Kept", os::kRegSz, "old"));
  struct Case {
    const char* what;
    long (*call)(RegistryKey& key, const std::string& base);
  } cases[] = {
      {"create",
       [](RegistryKey&, const std::string& base) {
         RegistryKey made;
         return made.Create(kRoot, base + "\\New", nullptr);
       }},
      {"set",
       [](RegistryKey& k, const std::string&) { return k.SetValue("Kept", os::kRegSz, "new"); }},
      {"delete value", [](RegistryKey& k, const std::string&) { return k.DeleteValue("Kept"); }},
      {"delete key",
       [](RegistryKey&, const std::string& base) { return os::DeleteRegistryKey(kRoot, base); }},
  };
  for (const Case& c : cases) {
    SetFailAt("1");
    os::SetLastError(1234);
    EXPECT_EQ(5, c.call(key, base_)) << c.what;
    EXPECT_EQ(1234u, os::LastError()) << c.what << ": the last error is left alone";
    SetFailAt("");
  }
  RegistryKey made;
  EXPECT_EQ(2, made.Open(kRoot, Path("New"), RegAccess::kRead));
  unsigned long type = 0;
  std::string data;
  ASSERT_EQ(0, key.QueryValue("Kept", type, data));
  EXPECT_EQ(std::string("old", 4), data);
}

TEST_F(RegistryTest, HandlesOnTheSameKeySeeEachOthersChanges) {
  RegistryKey writer = Make();
  RegistryKey reader;
  ASSERT_EQ(0, reader.Open(kRoot, base_, RegAccess::kRead));
  ASSERT_EQ(0, writer.SetValue("Shared", os::kRegDword, os::RegDwordData(7)));
  unsigned long value = 0;
  unsigned long size = sizeof(value);
  ASSERT_EQ(0, reader.QueryValue("Shared", nullptr, &value, &size));
  EXPECT_EQ(7u, value);
  ASSERT_EQ(0, writer.DeleteValue("Shared"));
  EXPECT_EQ(2, reader.QueryValue("Shared", nullptr, nullptr, nullptr));
}

}  // namespace
