// Loading an install record file: the input is the file. Checks: never more
// entries than the record holds, exactly as many as a sane TotalCount says;
// loading the same file again gives the same entries; a small record whose
// texts the format can carry as they are is saved and loaded back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/install_record.h"
#include "fuzz/fuzz_support.h"
#include "platform/c_numbers.h"

namespace {

bool SameEntries(const CHFS_InstallRecord& a, const CHFS_InstallRecord& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const RecordEntry& x = a.Entries()[i];
    const RecordEntry& y = b.Entries()[i];
    if (x.step != y.step || x.item != y.item || x.Param1 != y.Param1 || x.Param2 != y.Param2 ||
        x.Param3 != y.Param3) {
      return false;
    }
  }
  return true;
}

// Text an INI value keeps as it is through a write and a read (symbols and
// quotes aside): printable, no blanks at either end.
bool Carried(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '%' || c == '"' || c == '\'') return false;
  }
  return text.empty() || (text.front() != ' ' && text.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16 * 1024) return 0;
  fuzz_support::FuzzEngine& fuzz = fuzz_support::Engine();
  const std::string file = fuzz_support::SandboxPath("record.ini");
  if (!fuzz_support::WriteSandboxFile(file, std::string(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  CHFS_InstallRecord loaded(fuzz.engine);
  FUZZ_CHECK(loaded.LoadRecords(file) == 0);
  FUZZ_CHECK(loaded.size() <= CHFS_InstallRecord::kMaxRecords);
  int count = CDecimalToInt(fuzz.engine->ReadItem("TotalCount", "REC_0", 0, file));
  if (count >= 0 && count <= static_cast<int>(CHFS_InstallRecord::kMaxRecords)) {
    FUZZ_CHECK(loaded.size() == static_cast<size_t>(count));
  }
  if (loaded.size() > 8) return 0;
  CHFS_InstallRecord again(fuzz.engine);
  FUZZ_CHECK(again.LoadRecords(file) == 0 && SameEntries(loaded, again));

  for (const RecordEntry& entry : loaded.Entries()) {
    if (!Carried(entry.Param1) || !Carried(entry.Param2) || !Carried(entry.Param3)) return 0;
  }
  const std::string copy = fuzz_support::SandboxPath("saved.ini");
  (void)fuzz_support::WriteSandboxFile(copy, std::string());
  FUZZ_CHECK(loaded.SaveRecords(copy) == 0);
  CHFS_InstallRecord reloaded(fuzz.engine);
  FUZZ_CHECK(reloaded.LoadRecords(copy) == 0 && SameEntries(loaded, reloaded));
  return 0;
}
