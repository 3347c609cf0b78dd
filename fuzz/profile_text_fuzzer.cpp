// The INI text reader and editor. The input is the file; a few names and a
// value are taken from its last bytes. Checks: a set key reads back, also
// after the text is parsed again; other entries keep their values; an edit
// grows the text by no more than the line it adds; removing a key that was
// not there before takes the set value away again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "os/profile_text.h"

namespace {

// A name or value the profile format can always carry: letters and digits.
std::string SafeText(const uint8_t* data, size_t size) {
  static const char kAlphabet[] = "abcXYZ019";
  std::string text;
  for (size_t i = 0; i < size; ++i) text += kAlphabet[data[i] % (sizeof(kAlphabet) - 1)];
  return text.empty() ? "k" : text;
}

bool Value(const os::ProfileText& text, const std::string& section, const std::string& key,
           std::string& value) {
  value.clear();
  return text.FindValue(section, key, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  size_t tail = size < 12 ? size : 12;
  const uint8_t* names = data + size - tail;
  std::string section = SafeText(names, tail / 3);
  std::string key = SafeText(names + tail / 3, tail / 3);
  std::string value = SafeText(names + 2 * (tail / 3), tail - 2 * (tail / 3));
  std::vector<std::string> probe = fuzz_support::SplitAtNul(data, size - tail, 3);
  probe.resize(3);

  os::ProfileText text(std::string(reinterpret_cast<const char*>(data), size - tail));
  const size_t before = text.Text().size();
  std::string old, probeBefore, probeAfter, found;
  const bool had = Value(text, section, key, old);
  const bool probeHad = Value(text, probe[1], probe[2], probeBefore);
  std::vector<std::string> entries;
  (void)text.SectionEntries(probe[1], entries);

  (void)text.SetValue(section, key, value);
  FUZZ_CHECK(Value(text, section, key, found) && found == value);
  FUZZ_CHECK(text.Text().size() <= before + section.size() + key.size() + value.size() + 12);
  os::ProfileText again(text.Text());
  FUZZ_CHECK(Value(again, section, key, found) && found == value);
  FUZZ_CHECK(again.Text() == text.Text());
  bool probeSame = os::SameProfileName(os::TrimProfileBlanks(probe[1]), section) &&
                   os::SameProfileName(os::TrimProfileBlanks(probe[2]), key);
  if (!probeSame) {
    bool probeHas = Value(again, probe[1], probe[2], probeAfter);
    FUZZ_CHECK(probeHas == probeHad && probeAfter == probeBefore);
  }

  (void)again.DeleteKey(section, key);
  if (!had) FUZZ_CHECK(!Value(again, section, key, found));
  (void)again.DeleteSection(probe[0]);
  (void)again.SetValue(probe[0], probe[1], probe[2]);
  (void)again.DeleteKey(probe[1], probe[0]);
  return 0;
}
