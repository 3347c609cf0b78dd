// "FileInfo:" descriptors. Checks: a parsed descriptor's file and property
// are the text after the keyword as written, the file holding no comma and
// the property never empty; a failure writes one syntax error line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "descriptors/descriptor_syntax.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz_support::FuzzEngine& fuzz = fuzz_support::Engine();
  std::string file, property;
  int result = ParseFileInfoDescriptor(*fuzz.engine, text, file, property);
  FUZZ_CHECK(result == 0 || result == -1);
  FUZZ_CHECK(fuzz.reporter.lines.size() == (result == 0 ? 0u : 1u));
  if (result == 0) {
    FUZZ_CHECK(!property.empty() && file.find(',') == std::string::npos);
    size_t at = text.find("FileInfo:");
    FUZZ_CHECK(at != std::string::npos && text.substr(at + 9) == file + "," + property);
  }
  for (const std::string& line : fuzz.reporter.lines) FUZZ_CHECK(line.size() < kTraceBufferSize);
  return 0;
}
