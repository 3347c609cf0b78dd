// "INI:" descriptors. Checks: a parsed descriptor's file, section and key are
// the text after the keyword as written, the file and section holding no
// comma and the key never empty; a failure writes one syntax error line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "descriptors/descriptor_syntax.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz_support::FuzzEngine& fuzz = fuzz_support::Engine();
  std::string file, section, key;
  int result = SpliteINIParameter(*fuzz.engine, text, file, section, key);
  FUZZ_CHECK(result == 0 || result == -1);
  FUZZ_CHECK(fuzz.reporter.lines.size() == (result == 0 ? 0u : 1u));
  if (result == 0) {
    FUZZ_CHECK(!key.empty());
    FUZZ_CHECK(file.find(',') == std::string::npos && section.find(',') == std::string::npos);
    size_t at = text.find("INI:");
    FUZZ_CHECK(at != std::string::npos);
    FUZZ_CHECK(text.substr(at + 4) == file + "," + section + "," + key);
  }
  for (const std::string& line : fuzz.reporter.lines) FUZZ_CHECK(line.size() < kTraceBufferSize);
  return 0;
}
