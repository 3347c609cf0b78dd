// The handler of CheckRequirement steps: numbered checks that a number lies
// within bounds, a text is one of a list, or a disk has room. It changes
// nothing, so it records nothing and its rollback does nothing.
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_CheckRequirementSection : public CHFS_Section {
 public:
  explicit CHFS_CheckRequirementSection(CHFS_Engine* engine) : CHFS_Section(engine) {}

  // The section result: 0, -1 for a check of no known kind, or the event
  // handler's answer that ended the checks.
  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override { return 0; }

  // 1 when the disk holding path has more free megabytes than required, 0
  // when exactly as many, -1 when fewer, -2 when the space cannot be read.
  // required is sign-extended and compared unsigned, so a negative
  // requirement is never met.
  [[nodiscard]] static int CheckDiskSpaceMB(const std::string& path, int required);

  // A number as C's atof reads it: leading blanks, an optional sign, digits
  // with an optional fraction and exponent, stopping at the first character
  // that does not fit; 0 when there are no digits.
  [[nodiscard]] static double CFloatToDouble(const std::string& text);

 private:
  enum class Outcome { kPass, kFail, kNoKind };
  // One check; value receives the text under test.
  Outcome RunCheck(int check, std::string& value);
  // One check: its description, the test, the detail line and its event.
  ItemMove RunItem(int check, int& result);
  bool CheckNumber(int check, const std::string& value);
  bool CheckString(int check, const std::string& value);
  bool CheckDiskSpace(int check, const std::string& value);
};
