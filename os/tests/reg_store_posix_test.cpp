// The sandbox registry store: its .reg text going in and out, and the ways
// it keeps the files sound.
#include "os/reg_store_posix.h"

#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "os/ansi_codepage_posix.h"
#include "os/notices.h"
#include "os/reg_text_posix.h"
#include "os/reg_tree_posix.h"
#include "os/registry.h"
#include "os/sandbox_posix.h"

namespace {

using os::RegAccess;
using os::RegistryKey;
using os::RegRoot;
namespace regtree = os::regtree;

const RegRoot kMachine = RegRoot::kLocalMachine;

std::string Utf16File(const std::u16string& text) {
  std::string bytes = "\xff\xfe";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

void WriteRoot(RegRoot root, const std::string& bytes) {
  std::ofstream out(os::regstore::RootFilePath(root), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadRoot(RegRoot root) {
  std::ifstream in(os::regstore::RootFilePath(root), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> RegistryFolderEntries() {
  std::set<std::string> names;
  DIR* dir = ::opendir((os::sandbox::Prefix() + "/registry").c_str());
  if (dir == nullptr) return names;
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(dir);
  return names;
}

std::string Query(RegRoot root, const std::string& key, const std::string& name,
                  unsigned long* type = nullptr) {
  RegistryKey handle;
  if (handle.Open(root, key, RegAccess::kRead) != 0) return "<no key>";
  unsigned long kind = 0;
  std::string data;
  if (handle.QueryValue(name, kind, data) != 0) return "<no value>";
  if (type != nullptr) *type = kind;
  return data;
}

bool SameTree(const regtree::Key& a, const regtree::Key& b) {
  if (a.name != b.name || a.values.size() != b.values.size() ||
      a.subkeys.size() != b.subkeys.size()) {
    return false;
  }
  for (size_t i = 0; i < a.values.size(); ++i) {
    const regtree::Value& x = a.values[i];
    const regtree::Value& y = b.values[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  for (size_t i = 0; i < a.subkeys.size(); ++i) {
    if (!SameTree(a.subkeys[i], b.subkeys[i])) return false;
  }
  return true;
}

class RegStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (RegRoot root : {RegRoot::kClassesRoot, RegRoot::kCurrentUser, RegRoot::kLocalMachine,
                         RegRoot::kUsers, RegRoot::kCurrentConfig}) {
      ::unlink(os::regstore::RootFilePath(root).c_str());
    }
  }
};

const char16_t kExport[] =
    u"Windows Registry Editor Version 5.00\r\n"
    u"\r\n"
    u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
    u"@=\"Default text\"\r\n"
    u"\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\\"\r\n"
    u"\"Quote\"=\"say \\\"hi\\\"\"\r\n"
    u"\"Count\"=dword:0000002a\r\n"
    u"\"Euro\"=\"\u20ac5 \u00fc\"\r\n"
    u"\"Japanese\"=\"\u65e5\u672c\"\r\n"
    u"\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,78,00,00,00\r\n"
    u"\"Multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
    u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    u"  16,17\r\n"
    u"\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    u"\r\n"
    u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Sub\\Deep]\r\n"
    u"; a comment\r\n"
    u"\"Broken\"=dword:xyz\r\n"
    u"\"After\"=\"still read\"\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Other]\r\n"
    u"\"Foreign\"=\"not this root\"\r\n";

TEST_F(RegStoreTest, LoadsAUtf16ExportFromARealMachine) {
  WriteRoot(kMachine, Utf16File(kExport));
  const std::string vendor = "Software\\Vendor";
  unsigned long type = 0;
  struct Case {
    const char* name;
    unsigned long type;
    std::string data;
  } cases[] = {
      {"", os::kRegSz, std::string("Default text", 13)},
      {"Path", os::kRegSz, std::string("C:\\Program Files\\Vendor\\", 25)},
      {"Quote", os::kRegSz, std::string("say \"hi\"", 9)},
      {"Count", os::kRegDword, os::RegDwordData(42)},
      {"Euro", os::kRegSz, std::string("\x80\x35 \xfc", 5)},
      {"Japanese", os::kRegSz, std::string("??", 3)},
      {"Expand", os::kRegExpandSz, std::string("%TEMP%\\x", 9)},
      {"Multi", os::kRegMultiSz, std::string("a\0bc\0\0", 6)},
      {"Blob", os::kRegBinary,
       std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b"
                   "\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17",
                   24)},
      {"Qword", os::kRegQword, std::string("\x01\0\0\0\0\0\0\0", 8)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.data, Query(kMachine, vendor, c.name, &type)) << c.name;
    EXPECT_EQ(c.type, type) << c.name;
  }
  EXPECT_EQ("<no value>", Query(kMachine, vendor + "\\Sub\\Deep", "Broken"));
  EXPECT_EQ(std::string("still read", 11), Query(kMachine, vendor + "\\Sub\\Deep", "After"));
  EXPECT_EQ("<no key>", Query(RegRoot::kCurrentUser, "Software\\Other", "Foreign"));

  // A change rewrites the file, still as UTF-16 since the code page cannot
  // carry the Japanese text; what the A calls cannot show stays as it was.
  RegistryKey key;
  ASSERT_EQ(0, key.Open(kMachine, vendor, RegAccess::kAllAccess));
  ASSERT_EQ(0, key.SetValue("New", os::kRegSz, "n"));
  std::string text = ReadRoot(kMachine);
  for (const char16_t* line :
       {u"\"Japanese\"=\"\u65e5\u672c\"\r\n", u"\"Euro\"=\"\u20ac5 \u00fc\"\r\n",
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Sub]\r\n", u"\"New\"=\"n\"\r\n"}) {
    std::string encoded = Utf16File(line).substr(2);
    EXPECT_NE(std::string::npos, text.find(encoded)) << "line " << std::u16string(line).size();
  }
  EXPECT_EQ(0u, text.find("\xff\xfeW\0i\0n\0"));

  // Once the last such text is gone the file is ANSI again.
  ASSERT_EQ(0, key.DeleteValue("Japanese"));
  EXPECT_EQ(0u, ReadRoot(kMachine).find("Windows Registry Editor Version 5.00\r\n"));
  EXPECT_EQ(std::string("\x80\x35 \xfc", 5), Query(kMachine, vendor, "Euro"));
}

// A file cut short anywhere, as a copy or a hand edit may leave it, still
// loads whatever it holds whole.
TEST_F(RegStoreTest, AFileCutAnywhereStillLoads) {
  const std::string whole = Utf16File(kExport);
  const size_t headerEnd = Utf16File(u"Windows Registry Editor Version 5.00\r\n").size();
  for (size_t size = headerEnd; size <= whole.size(); ++size) {
    regtree::Key root;
    ASSERT_TRUE(os::regtext::Parse(whole.substr(0, size), "HKEY_LOCAL_MACHINE", root)) << size;
  }
  regtree::Key root;
  ASSERT_TRUE(os::regtext::Parse(whole, "HKEY_LOCAL_MACHINE", root));
  const regtree::Key* vendor = regtree::FindPath(root, {"software", "vendor"});
  ASSERT_NE(nullptr, vendor);
  EXPECT_EQ(10u, vendor->values.size());
}

TEST_F(RegStoreTest, WritesTextThatReadsBackTheSame) {
  regtree::Key root;
  regtree::Key& vendor =
      regtree::AddSubkey(regtree::AddSubkey(root, "Software", nullptr), "Vendor", nullptr);
  auto sz = [](const std::string& text) { return os::AnsiToUtf16le(text + std::string(1, '\0')); };
  std::string longBlob(100, '\0');
  for (size_t i = 0; i < longBlob.size(); ++i) longBlob[i] = static_cast<char>(i);
  regtree::PutValue(vendor, "", os::kRegSz, sz("default"));
  regtree::PutValue(vendor, "Path", os::kRegSz, sz("C:\\Dir\\\"q\""));
  regtree::PutValue(vendor, "Na\"me\\", os::kRegSz, sz(""));
  regtree::PutValue(vendor, "Count", os::kRegDword, os::RegDwordData(42));
  regtree::PutValue(vendor, "NoNul", os::kRegSz, os::AnsiToUtf16le("ab"));
  regtree::PutValue(vendor, "Lines", os::kRegSz, sz("a\r\nb"));
  regtree::PutValue(vendor, "Short", os::kRegDword, std::string("\x2a\x00", 2));
  regtree::PutValue(vendor, "Empty", os::kRegBinary, std::string());
  regtree::PutValue(vendor, "Long", os::kRegBinary, longBlob);
  regtree::PutValue(vendor, "Odd", os::kRegNone, std::string("\x01", 1));
  regtree::AddSubkey(vendor, "Leaf", nullptr);

  std::string text = os::regtext::Format(root, "HKEY_LOCAL_MACHINE");
  regtree::Key back;
  ASSERT_TRUE(os::regtext::Parse(text, "HKEY_LOCAL_MACHINE", back));
  EXPECT_TRUE(SameTree(root, back)) << text;

  EXPECT_EQ(
      0u,
      text.find(
          "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"));
  for (const char* line : {
           "@=\"default\"\r\n",
           "\"Path\"=\"C:\\\\Dir\\\\\\\"q\\\"\"\r\n",
           "\"Na\\\"me\\\\\"=\"\"\r\n",
           "\"Count\"=dword:0000002a\r\n",
           "\"NoNul\"=hex(1):61,62\r\n",
           "\"Lines\"=hex(1):61,0d,0a,62,00\r\n",
           "\"Short\"=hex(4):2a,00\r\n",
           "\"Empty\"=hex:\r\n",
           "\"Odd\"=hex(0):01\r\n",
           "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Leaf]\r\n",
       }) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
  }
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(RegStoreTest, TextTheCodePageCannotCarryReadsBackTheSame) {
  regtree::Key root;
  regtree::Key& key = regtree::AddSubkey(root, "K", nullptr);
  regtree::PutValue(key, "Wide", os::kRegSz, std::string("\xe5\x65\x2c\x67\0\0", 6));
  regtree::PutValue(key, "OddBytes", os::kRegExpandSz, std::string("\x41\0\x42", 3));
  regtree::PutValue(key, "Plain", os::kRegMultiSz, std::string("a\0\0\0", 4));
  std::string text = os::regtext::Format(root, "HKEY_USERS");
  EXPECT_EQ(0u, text.find("\xff\xfe")) << "written as UTF-16";
  regtree::Key back;
  ASSERT_TRUE(os::regtext::Parse(text, "HKEY_USERS", back));
  EXPECT_TRUE(SameTree(root, back));
}

TEST_F(RegStoreTest, LoadsUtf8WithAByteOrderMark) {
  WriteRoot(kMachine,
            "\xef\xbb\xbfWindows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n"
            "\"Euro\"=\"\xe2\x82\xac \xc3\xbc\"\n\"Broken\"=\"\xc3\"\n\"E\"=hex(2):41,00,00,00\n");
  EXPECT_EQ(std::string("\x80 \xfc", 4), Query(kMachine, "A", "Euro"));
  EXPECT_EQ(std::string("?", 2), Query(kMachine, "A", "Broken"));
  EXPECT_EQ(std::string("A", 2), Query(kMachine, "A", "E"));
}

TEST_F(RegStoreTest, Regedit4HexStringsAreAnsi) {
  WriteRoot(kMachine,
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"E\"=hex(2):25,54,25,00\n\"S\"=\"x\"\n");
  unsigned long type = 0;
  EXPECT_EQ(std::string("%T%", 4), Query(kMachine, "A", "E", &type));
  EXPECT_EQ(os::kRegExpandSz, type);
  EXPECT_EQ(std::string("x", 2), Query(kMachine, "A", "S"));
}

TEST_F(RegStoreTest, LineBreakEscapesAsWineWritesThem) {
  WriteRoot(kMachine,
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n"
            "\"Two\"=\"one\\r\\ntwo\"\n\"Plain\"=\"C:\\\\new\\x\"\n");
  EXPECT_EQ(std::string("one\r\ntwo", 9), Query(kMachine, "A", "Two"));
  EXPECT_EQ(std::string("C:\\new\\x", 9), Query(kMachine, "A", "Plain"));
}

// A name with a line break can only come from an import; written back raw,
// its value was lost and the rest of the name read as lines of their own,
// here a key deletion.
TEST_F(RegStoreTest, NamesWithLineBreaksSurviveAWriteBack) {
  WriteRoot(kMachine,
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Keep]\n\"V\"=\"1\"\n"
            "[HKEY_LOCAL_MACHINE\\A]\n\"x\\n[-HKEY_LOCAL_MACHINE\\Keep]\\r\\n\"=\"odd\"\n");
  const std::string name = "x\n[-HKEY_LOCAL_MACHINE\\Keep]\r\n";
  RegistryKey key;
  ASSERT_EQ(0, key.Create(kMachine, "A\\B", nullptr)) << "writes the file again";
  // What the next process reads: the file as written.
  regtree::Key back;
  ASSERT_TRUE(os::regtext::Parse(ReadRoot(kMachine), "HKEY_LOCAL_MACHINE", back));
  const regtree::Key* keep = regtree::FindPath(back, {"Keep"});
  const regtree::Key* a = regtree::FindPath(back, {"A"});
  ASSERT_NE(nullptr, keep) << ReadRoot(kMachine);
  ASSERT_NE(nullptr, a);
  EXPECT_NE(nullptr, regtree::FindValue(*keep, "V"));
  const regtree::Value* odd = regtree::FindValue(*a, name);
  ASSERT_NE(nullptr, odd) << ReadRoot(kMachine);
  EXPECT_EQ(os::AnsiToUtf16le(std::string("odd", 4)), odd->data);
}

TEST_F(RegStoreTest, ImportDeletionsApply) {
  WriteRoot(kMachine,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\A\\B]\n\"V\"=\"1\"\n\"W\"=\"2\"\n"
            "[HKEY_LOCAL_MACHINE\\A\\B]\n\"W\"=-\n"
            "[HKEY_LOCAL_MACHINE\\C\\D]\n[-HKEY_LOCAL_MACHINE\\C]\n\"X\"=\"lost with its key\"\n");
  EXPECT_EQ(std::string("1", 2), Query(kMachine, "A\\B", "V"));
  EXPECT_EQ("<no value>", Query(kMachine, "A\\B", "W"));
  EXPECT_EQ("<no key>", Query(kMachine, "C", "X"));
}

// What regedit reads is read; what it cannot read survives a write of the
// root as it stood and is named once among the notices for the trace log.
TEST_F(RegStoreTest, ReadsWhatRegeditReadsAndKeepsTheRest) {
  const std::string pair("\x01\x02", 2);
  const std::string answer("\x2a\0\0\0", 4);
  struct Case {
    const char* lines;
    std::string data;  // empty: the line cannot be read and is kept
  } cases[] = {
      {"\"a\"=hex:01,\\\r\n; between\r\n  02", pair},
      {"\"b\"=hex:01,\\\r\n\r\n  02", pair},
      {"\"c\"=hex:01,\\ ;c\r\n  02 ;d", pair},
      {"\"d\"=hex:001,02", pair},
      {"\"e\"=dword: 0000002a", answer},
      {"\"f\"=dword:2a ;c", answer},
      {"\"g\"=\"s\" ;c", std::string("s", 2)},
      {"\"h\"=\"unterminated", ""},
      {"\"i\"=str:\"x\"", ""},
      {"\"j\"=dword:0x2a", ""},
      {"\"k\"=hex:01,\\", ""},
      {"\"l\"=\"after a broken continuation\"", std::string("after a broken continuation", 28)},
      {"[HKEY_LOCAL_MACHINE\\Broken", ""},
      {"\"m\"=\"in a broken section\"", ""},
  };
  std::string file = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n";
  for (const Case& c : cases) file += std::string(c.lines) + "\r\n";
  // Hex data cut off by the next section: the lines it passed over stay out
  // of what is kept, or every write would add them again.
  file += "\"n\"=hex:02,\\\r\n\r\n; c\r\n\r\n[HKEY_LOCAL_MACHINE\\L]\r\n\"z\"=\"1\"\r\n";
  WriteRoot(kMachine, file);
  (void)os::TakeNotices();
  size_t written = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const Case& c : cases) {
      std::string name(c.lines + 1, 1);
      EXPECT_EQ(c.data.empty() ? "<no value>" : c.data, Query(kMachine, "K", name)) << c.lines;
      if (c.data.empty()) {
        EXPECT_NE(std::string::npos, ReadRoot(kMachine).find(std::string(c.lines) + "\r\n"))
            << c.lines << " is kept\n" << ReadRoot(kMachine);
      }
    }
    RegistryKey other;
    ASSERT_EQ(0, other.Open(kMachine, "L", RegAccess::kAllAccess));
    ASSERT_EQ(0, other.SetValue("z", os::kRegSz, pass == 0 ? "2" : "3"));
    if (pass == 1) {
      EXPECT_EQ(written, ReadRoot(kMachine).size()) << ReadRoot(kMachine);
    }
    written = ReadRoot(kMachine).size();
  }
  EXPECT_NE(std::string::npos, ReadRoot(kMachine).find("\"n\"=hex:02,\\\r\n\r\n[HKEY_LOCAL_MACHINE\\L]"));
  std::vector<std::string> notices = os::TakeNotices();
  EXPECT_EQ(7u, notices.size());
  for (const std::string& notice : notices) {
    EXPECT_NE(std::string::npos, notice.find("HKEY_LOCAL_MACHINE.reg")) << notice;
  }
}

// A name the code page cannot carry keeps its characters through a write to
// another key; the A calls see it with '?'.
TEST_F(RegStoreTest, NamesOutsideTheCodePageKeepTheirCharacters) {
  const std::u16string japanese =
      u"[HKEY_LOCAL_MACHINE\\\u65e5\u672c key]\r\n\"\u540d\"=\"v\"\r\n\"n\"=hex:01\r\n";
  WriteRoot(kMachine, Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n" + japanese));
  EXPECT_EQ(std::string("v", 2), Query(kMachine, "?? key", "?"));
  RegistryKey other;
  ASSERT_EQ(0, other.Create(kMachine, "Other", nullptr));
  ASSERT_EQ(0, other.SetValue("x", os::kRegSz, "1"));
  EXPECT_NE(std::string::npos, ReadRoot(kMachine).find(Utf16File(japanese).substr(2)));
}

TEST_F(RegStoreTest, AFileThatIsNotRegTextIsNeverOverwritten) {
  const std::string garbage = "not a registry file\n[HKEY_LOCAL_MACHINE\\A]\n";
  WriteRoot(kMachine, garbage);
  RegistryKey key;
  EXPECT_EQ(os::regstore::kErrorBadDb, key.Create(kMachine, "A\\B", nullptr));
  EXPECT_EQ(os::regstore::kErrorBadDb, key.Open(kMachine, "A", RegAccess::kRead));
  EXPECT_EQ(garbage, ReadRoot(kMachine));

  WriteRoot(kMachine, "");
  EXPECT_EQ(0, key.Create(kMachine, "A\\B", nullptr)) << "an empty file is an empty root";
}

TEST_F(RegStoreTest, SeesEditsMadeBehindItsBack) {
  RegistryKey key;
  ASSERT_EQ(0, key.Create(kMachine, "Software\\X", nullptr));
  ASSERT_EQ(0, key.SetValue("Mine", os::kRegSz, "1"));
  EXPECT_EQ(std::string("1", 2), Query(kMachine, "Software\\X", "Mine"));

  WriteRoot(kMachine,
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"
            "\"Theirs\"=dword:00000005\r\n");
  EXPECT_EQ("<no value>", Query(kMachine, "Software\\X", "Mine"));
  EXPECT_EQ(os::RegDwordData(5), Query(kMachine, "Software\\X", "Theirs"));
  ASSERT_EQ(0, key.SetValue("Mine", os::kRegSz, "2"));
  EXPECT_EQ(os::RegDwordData(5), Query(kMachine, "Software\\X", "Theirs")) << "their edit kept";

  ASSERT_EQ(0, ::unlink(os::regstore::RootFilePath(kMachine).c_str()));
  EXPECT_EQ(1018, key.SetValue("Mine", os::kRegSz, "3"));
}

TEST_F(RegStoreTest, ChangesGoThroughATemporaryFileAndLeaveNoneBehind) {
  RegistryKey key;
  ASSERT_EQ(0, key.Create(kMachine, "Software\\X", nullptr));
  for (int i = 0; i < 5; ++i) ASSERT_EQ(0, key.SetValue("V" + std::to_string(i), os::kRegSz, "x"));
  ASSERT_EQ(0, key.DeleteValue("V0"));
  EXPECT_EQ((std::set<std::string>{".lock", "HKEY_LOCAL_MACHINE.reg"}), RegistryFolderEntries());
  EXPECT_EQ(0u, ReadRoot(kMachine).find("Windows Registry Editor Version 5.00\r\n"));
}

TEST_F(RegStoreTest, ThreadsSettingValuesLoseNone) {
  RegistryKey key;
  ASSERT_EQ(0, key.Create(kMachine, "Software\\Busy", nullptr));
  auto work = [](char tag) {
    RegistryKey own;
    if (own.Open(kMachine, "Software\\Busy", RegAccess::kAllAccess) != 0) return;
    for (int i = 0; i < 40; ++i)
      (void)own.SetValue(tag + std::to_string(i), os::kRegDword, os::RegDwordData(i));
  };
  std::thread a(work, 'a');
  std::thread b(work, 'b');
  a.join();
  b.join();
  unsigned long count = 0;
  std::string name;
  while (key.EnumValue(count, name, nullptr) == 0) ++count;
  EXPECT_EQ(80u, count);
}

// Where the sandbox follows NT and Wine does not, or where the text format
// sets a bound.
TEST_F(RegStoreTest, OrderAndNameLimits) {
  RegistryKey key;
  ASSERT_EQ(0, key.Create(kMachine, "Order", nullptr));
  for (const char* name : {"v2", "v1", "V3"}) ASSERT_EQ(0, key.SetValue(name, os::kRegSz, "x"));
  for (const char* sub : {"_u", "b", "A"}) {
    RegistryKey made;
    ASSERT_EQ(0, made.Create(key, sub, nullptr));
  }
  std::string name;
  std::string seen;
  for (unsigned long i = 0; key.EnumValue(i, name, nullptr) == 0; ++i) seen += name + ",";
  for (unsigned long i = 0; key.EnumKey(i, name) == 0; ++i) seen += name + ",";
  EXPECT_EQ("v2,v1,V3,A,b,_u,", seen) << "values as set; subkeys compared upper-cased";

  RegistryKey made;
  EXPECT_EQ(0, made.Create(key, std::string(255, 'k'), nullptr));
  EXPECT_EQ(87, made.Create(key, std::string(256, 'k'), nullptr));
  EXPECT_EQ(87, made.Create(key, "two\nlines", nullptr));
  EXPECT_EQ(87, key.SetValue("two\r\nlines", os::kRegSz, "x"));
  std::string deep;
  for (int i = 0; i < 513; ++i) deep += "d\\";
  EXPECT_EQ(87, made.Create(kMachine, deep, nullptr));
}

TEST(AnsiCodePageTest, EveryByteSurvivesTheRoundTripThroughUtf16) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  std::string wide = os::AnsiToUtf16le(all);
  EXPECT_EQ(512u, wide.size());
  EXPECT_EQ(std::string("\xac\x20", 2), wide.substr(0x80 * 2, 2)) << "0x80 is the euro sign";
  EXPECT_EQ(all, os::Utf16leToAnsi(wide));
  EXPECT_EQ("?", os::Utf16leToAnsi(std::string("\x3d\xd8\x00\xde", 4))) << "a surrogate pair";
}

}  // namespace
