// "Reg:" descriptors and the REG_DWORD text conversion. Checks: a parsed
// descriptor gives a known type, and its key path and value name are the
// text's tail as written; a failure writes exactly one syntax error line and
// a success none; "0x" and up to eight hex digits convert to their value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "descriptors/descriptor_syntax.h"
#include "descriptors/registry_value.h"
#include "fuzz/fuzz_support.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), std::string::npos, tail) == 0;
}

// Up to eight hexadecimal digits and nothing else: the value they spell.
bool PlainHex(const std::string& digits, unsigned long& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (char c : digits) {
    int digit = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : -1;
    if (digit < 0) return false;
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz_support::FuzzEngine& fuzz = fuzz_support::Engine();
  RegistryDescriptor descriptor;
  int result = ParseRegistryDescriptor(*fuzz.engine, text, descriptor);
  FUZZ_CHECK(result == 0 || result == -1 || result == -2 || result == -3);
  FUZZ_CHECK(fuzz.reporter.lines.size() == (result == 0 ? 0u : 1u));
  if (result == 0) {
    FUZZ_CHECK(descriptor.type == os::kRegSz || descriptor.type == os::kRegDword);
    std::string tail = "," + descriptor.keyPath;
    if (!descriptor.valueName.empty()) tail += "," + descriptor.valueName;
    FUZZ_CHECK(EndsWith(text, tail));
    FUZZ_CHECK(descriptor.keyPath.find(',') == std::string::npos);
  }
  for (const std::string& line : fuzz.reporter.lines) FUZZ_CHECK(line.size() < kTraceBufferSize);

  std::string inner;
  if (BracketedInner(text, inner)) FUZZ_CHECK(inner.size() + 2 <= text.size() || inner.empty());

  (void)RegistryDwordFromText(text, false);
  unsigned long expected = 0;
  if (text.compare(0, 2, "0x") == 0 && PlainHex(text.substr(2), expected)) {
    FUZZ_CHECK(RegistryDwordFromText(text, true) == expected);
  }
  return 0;
}
