// Registry values as text. A REG_DWORD reads as its signed decimal text;
// any other type as its bytes up to the first NUL (at most 4,096 bytes).
// The stored value's own type is not looked at: a value is read as the
// caller's type says. "(empty)" means it could not be read.
#pragma once

#include <string>

#include "os/registry.h"

class CHFS_LogPort;

// Opens root\keyPath for reading and reads the value (empty name: the
// default value), logging the failed open or query as a plain line.
std::string QueryRegistryValue(CHFS_LogPort& log, unsigned long type, os::RegRoot root,
                               const std::string& keyPath, const std::string& valueName);

// The same read on a key the caller has open and keeps open; status, when
// given, receives the query's result code.
std::string QueryOpenKeyValue(CHFS_LogPort& log, const os::RegistryKey& key, unsigned long type,
                              const std::string& valueName, long* status = nullptr);

// A symbol value holding "[Reg:...]": the value it names, or the empty text.
std::string QueryRegistryDescriptor(CHFS_LogPort& log, const std::string& value);

// The 32 bits a REG_DWORD text stands for. With hexPrefix, a text beginning
// "0x" is read as unsigned hexadecimal (saturating at FFFFFFFF); every other
// text is read as C's decimal conversion reads it.
[[nodiscard]] unsigned long RegistryDwordFromText(const std::string& text, bool hexPrefix);

// True when RegistryDwordFromText reads a number from text: after leading
// blanks and a sign, a decimal digit (which a "0x" text has too). Any other
// text would become 0 unseen.
[[nodiscard]] bool IsRegistryDwordText(const std::string& text);

// RegSetValueExA of text as a REG_DWORD (decimal, or hex as above) or REG_SZ.
[[nodiscard]] long WriteRegistryText(os::RegistryKey& key, const std::string& valueName,
                                     unsigned long type, const std::string& text, bool hexPrefix);
