#include "sections/check_requirement_section.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/result_codes.h"
#include "engine/strings.h"
#include "os/files.h"
#include "platform/c_numbers.h"

namespace {

bool IsCBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipDigits(const std::string& text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

std::string CheckKey(int check, const char* field) {
  return CHFS_Section::FormatItemKey("Check", check, ".", field);
}

}  // namespace

double CHFS_CheckRequirementSection::CFloatToDouble(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && IsCBlank(text[start])) ++start;
  size_t at = start;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  size_t integerEnd = SkipDigits(text, at);
  size_t end = integerEnd;
  bool digits = integerEnd > at;
  if (end < text.size() && text[end] == '.') {
    size_t fractionEnd = SkipDigits(text, end + 1);
    digits = digits || fractionEnd > end + 1;
    end = fractionEnd;
  }
  if (!digits) return 0.0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    size_t exponentEnd = SkipDigits(text, exponent);
    if (exponentEnd > exponent) end = exponentEnd;
  }
  // Only the part checked above reaches strtod, so its wider grammar (hex,
  // "inf", "nan") never applies.
  std::string number = text.substr(start, end - start);
  return std::strtod(number.c_str(), nullptr);
}

int CHFS_CheckRequirementSection::CheckDiskSpaceMB(const std::string& path, int required) {
  os::DiskSpace space;
  if (!os::GetDiskFreeSpace(path, space)) return -2;
  std::uint64_t freeMB = space.totalFree / 0x100000u;
  std::uint64_t wanted = static_cast<std::uint64_t>(static_cast<std::int64_t>(required));
  if (freeMB < wanted) return -1;
  return freeMB == wanted ? 0 : 1;
}

bool CHFS_CheckRequirementSection::CheckNumber(int check, const std::string& value) {
  std::string minimum = ReadSectionItem(CheckKey(check, "Number.Min"), 1);
  if (minimum != kEmptyItem && CFloatToDouble(minimum) > CFloatToDouble(value)) {
    engine_->Trace("CheckNumberMin(Min='%s',value='%s') failed!", minimum.c_str(), value.c_str());
    return false;
  }
  std::string maximum = ReadSectionItem(CheckKey(check, "Number.Max"), 1);
  if (maximum != kEmptyItem && !(CFloatToDouble(maximum) >= CFloatToDouble(value))) {
    engine_->Trace("CheckNumberMax(Max='%s',value='%s') failed!", maximum.c_str(), value.c_str());
    return false;
  }
  return true;
}

bool CHFS_CheckRequirementSection::CheckString(int check, const std::string& value) {
  // Commas around both make "B" match only a whole element of "A,B,C".
  std::string list = "," + ReadSectionItem(CheckKey(check, "String.List"), 1) + ",";
  std::string wanted = "," + value + ",";
  if (list.find(wanted) != std::string::npos) return true;
  engine_->Trace("CheckString(list='%s',value='%s') failed!", list.c_str(), wanted.c_str());
  return false;
}

bool CHFS_CheckRequirementSection::CheckDiskSpace(int check, const std::string& value) {
  std::string size = ReadSectionItem(CheckKey(check, "DiskSpace.SizeMB"), 1);
  if (size == kEmptyItem) return true;
  int required = CDecimalToInt(size);
  if (CheckDiskSpaceMB(value, required) >= 0) return true;
  engine_->Trace("CheckDiskSpaceMB('%s',%d) failed!", value.c_str(), required);
  return false;
}

CHFS_CheckRequirementSection::Outcome CHFS_CheckRequirementSection::RunCheck(int check,
                                                                            std::string& value) {
  value = ReadSectionItem(CheckKey(check, "Number"), 0);
  if (value != kEmptyItem) return CheckNumber(check, value) ? Outcome::kPass : Outcome::kFail;
  value = ReadSectionItem(CheckKey(check, "String"), 0);
  if (value != kEmptyItem) return CheckString(check, value) ? Outcome::kPass : Outcome::kFail;
  value = ReadSectionItem(CheckKey(check, "DiskSpace"), 0);
  if (value != kEmptyItem) return CheckDiskSpace(check, value) ? Outcome::kPass : Outcome::kFail;
  return Outcome::kNoKind;
}

ItemMove CHFS_CheckRequirementSection::RunItem(int check, int& result) {
  CHFS_Reporter* reporter = engine_->Reporter();
  std::string description = ReadSectionItem(CheckKey(check, "Description"), 1);
  if (reporter != nullptr) reporter->AddDetailText(description, 0);
  std::string value;
  Outcome outcome = RunCheck(check, value);
  if (outcome == Outcome::kNoKind) {
    engine_->Trace("*** Syntax error : Check item %d not found !", check);
    result = -1;
    return ItemMove::kEnd;
  }
  bool passed = outcome == Outcome::kPass;
  if (reporter != nullptr) {
    std::string detail = " - " + value;
    if (!passed) detail += std::string(" (") + BrevaneString(kIdsNoPass) + ")";
    reporter->AddDetailText(detail + "\r\n", 0);
  }
  return MoveAfter(EventHandler(CheckKey(check, passed ? "Success." : "Error."), passed ? 0 : -1), result);
}

int CHFS_CheckRequirementSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  return WalkItems(ReadItemCount("CheckCount"),
                   [this](int check, int& result) { return RunItem(check, result); });
}
