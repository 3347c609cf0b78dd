// The registry: open, create, query, set, enumerate and delete keys and
// values, with the results of the ANSI Win32 calls (RegOpenKeyExA,
// RegCreateKeyExA, RegQueryValueExA, RegSetValueExA, RegEnumValueA,
// RegEnumKeyExA, RegDeleteValueA, RegDeleteKeyA, RegCloseKey).
//
// Every operation returns the Win32 code the real call returns (0 success,
// 2 not found, 5 access denied, 234 more data, 259 no more items, 1018 key
// deleted ...) and, like the real calls, leaves the thread's last error alone.
// Creating a key, setting a value and deleting a value or key first pass
// through os::AllowChange and return 5 when it refuses.
//
// Semantics both backends keep:
//   - Key and value names are matched ignoring case and kept as first written.
//   - Subkey paths are separated by backslashes; a leading backslash is
//     refused (161), empty names between backslashes are skipped; a key name
//     is at most 255 characters (87 beyond on POSIX; Wine gives 234 for any
//     path past 260 characters).
//   - Subkeys enumerate in name order ignoring case (upper-cased, as NT
//     compares), values in the order they were first set. Wine differs on
//     both (it sorts values, and compares names lower-cased).
//   - Set stores the bytes given; for REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ
//     a NUL is added when the last byte is not one, as NT's RegSetValueExA
//     does for a C string passed with cbData = strlen (it looks at the byte
//     after the data, which a std::string always has as NUL).
//   - String data is held as UTF-16 and converted to and from the ANSI code
//     page (Windows-1252 on POSIX) one character per byte, as the A calls do.
//   - Query with a null buffer gives the size; a buffer too small gives 234
//     with the size needed.
//   - A key that holds subkeys cannot be deleted (5); deleting a missing key
//     or value gives 2; a handle whose key was deleted gives 1018.
//   - A handle opened for reading refuses set and delete (5).
//
// Platform differences:
//   - Windows: the real registry. HKEY_CLASSES_ROOT and HKEY_CURRENT_USER are
//     views onto HKEY_LOCAL_MACHINE and HKEY_USERS there.
//   - POSIX: the sandbox store, $BREVANE_PREFIX/registry/<root name>.reg, one
//     "Windows Registry Editor Version 5.00" text file per root; the five
//     roots are independent of each other. A handle names its key by path,
//     so a key deleted and created again under the same path is reached
//     through an older handle too. Names holding a line break are refused
//     (87) since the text format cannot hold them, and so are key paths
//     deeper than 512 keys. A root file that is not .reg text gives 1009
//     (ERROR_BADDB) and is never overwritten.
#pragma once

#include <cstddef>
#include <string>

#include "os/unique_handle.h"

namespace os {

// The predefined keys, with their Win32 handle values.
enum class RegRoot : unsigned long {
  kClassesRoot = 0x80000000UL,
  kCurrentUser = 0x80000001UL,
  kLocalMachine = 0x80000002UL,
  kUsers = 0x80000003UL,
  kCurrentConfig = 0x80000005UL,
};

// Value types, with their Win32 numbers.
enum RegType : unsigned long {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegQword = 11,
};

enum class RegAccess { kRead, kAllAccess };

// What RegCreateKeyExA reports through its disposition.
enum class RegDisposition : unsigned long {
  kNone = 0,
  kCreatedNewKey = 1,
  kOpenedExistingKey = 2,
};

// The longest key name component, in characters.
constexpr size_t kMaxRegKeyName = 255;

// "HKEY_LOCAL_MACHINE" and so on.
[[nodiscard]] const char* RegRootName(RegRoot root) noexcept;

struct RegKeyTraits {
  static void* Invalid() noexcept { return nullptr; }
  static void Close(void* key) noexcept;
};
using UniqueRegKey = UniqueHandle<void*, RegKeyTraits>;

// One open key. Move-only; closed when it goes out of scope.
class RegistryKey {
 public:
  RegistryKey() = default;

  // RegOpenKeyExA below a root or below another open key. An empty subkey
  // opens a new handle to the same key. On failure this key is left closed,
  // as the real call clears its result handle, so a key reused for the next
  // item never still names the previous one.
  [[nodiscard]] long Open(RegRoot root, const std::string& subkey, RegAccess access);
  [[nodiscard]] long Open(const RegistryKey& parent, const std::string& subkey, RegAccess access);

  // RegCreateKeyExA (non-volatile, KEY_ALL_ACCESS): opens the key, creating
  // it and any missing parents first. disposition may be null.
  [[nodiscard]] long Create(RegRoot root, const std::string& subkey, RegDisposition* disposition);
  [[nodiscard]] long Create(const RegistryKey& parent, const std::string& subkey,
                            RegDisposition* disposition);

  // RegQueryValueExA; an empty name is the default value. type and data may
  // be null; size may be null only when data is.
  [[nodiscard]] long QueryValue(const std::string& name, unsigned long* type, void* data,
                                unsigned long* size) const;

  // QueryValue into a string sized to fit: the type and the whole data.
  [[nodiscard]] long QueryValue(const std::string& name, unsigned long& type,
                                std::string& data) const;

  // RegSetValueExA with cbData = data.size().
  [[nodiscard]] long SetValue(const std::string& name, unsigned long type, const std::string& data);

  // RegDeleteValueA.
  [[nodiscard]] long DeleteValue(const std::string& name);

  // RegEnumValueA / RegEnumKeyExA: the name (and type) at index; 259 past
  // the end. type may be null.
  [[nodiscard]] long EnumValue(unsigned long index, std::string& name, unsigned long* type) const;
  [[nodiscard]] long EnumKey(unsigned long index, std::string& name) const;

  // RegDeleteKeyA on a subkey of this key; an empty subkey deletes this key.
  [[nodiscard]] long DeleteSubKey(const std::string& subkey);

  void Close() noexcept {
    handle_.reset();
    fullName_.clear();
  }
  [[nodiscard]] bool valid() const noexcept { return handle_.valid(); }

  // "HKEY_LOCAL_MACHINE\Software\X": the key as opened, for log and change
  // gate texts.
  [[nodiscard]] const std::string& FullName() const noexcept { return fullName_; }

 private:
  long OpenFrom(void* parent, const std::string& parentName, const std::string& subkey,
                RegAccess access);
  long CreateFrom(void* parent, const std::string& parentName, const std::string& subkey,
                  RegDisposition* disposition);
  long Settle(long status) noexcept {
    if (status != 0) Close();
    return status;
  }

  UniqueRegKey handle_;
  std::string fullName_;
};

// The four bytes of a REG_DWORD, low byte first.
[[nodiscard]] std::string RegDwordData(unsigned long value);

// RegDeleteKeyA below a root.
[[nodiscard]] long DeleteRegistryKey(RegRoot root, const std::string& subkey);

// A parent's name joined to a subkey as FullName gives it: empty names
// between backslashes dropped.
[[nodiscard]] std::string JoinRegistryPath(const std::string& parent, const std::string& subkey);

}  // namespace os
