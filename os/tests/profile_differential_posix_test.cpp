// Runs the cases of profile_probe/profile_cases.h through the sandbox
// backend and through the real Win32 calls (profile_probe.exe under Wine),
// and compares the two.
//
// Reads must agree exactly. After a write, the success flag, what reads back
// and the written "key=value" line must agree; the rest of the file is
// compared with the file before the write, not with Wine's, because Wine
// rewrites the whole file where real Windows (and the sandbox) change only
// the touched line. Cases where Wine reads differently from real Windows are
// not in the table; profile_posix_test.cpp pins them to real Windows.
//
// The probe is found through BREVANE_WINDOWS_BIN (the Windows build's bin
// folder, set by scripts/test); without it, or where Wine cannot start, the
// test is skipped with the reason.
#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "os/machine.h"
#include "os/profile.h"
#include "os/profile_encoding_posix.h"
#include "os/profile_text.h"
#include "os/tests/profile_probe/profile_cases.h"
#include "os/tests/wine_probe_support.h"
#include "tests/support/test_machine.h"

namespace {

using profile_probe::Step;

// The probe's report lines per case name, with CRs dropped.
std::map<std::string, std::vector<std::string>> ParseReport(const std::string& report) {
  std::map<std::string, std::vector<std::string>> cases;
  std::vector<std::string>* current = nullptr;
  size_t pos = 0;
  while (pos < report.size()) {
    size_t end = report.find('\n', pos);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 5, "case ") == 0) {
      current = &cases[line.substr(5)];
    } else if (current != nullptr && line != "profile-probe end") {
      current->push_back(line);
    }
  }
  return cases;
}

// A bare name is a file of the Windows folder, as for the profile calls.
std::string FilePath(const std::string& path) {
  if (path.find_first_of("\\/") != std::string::npos) return path;
  std::string folder;
  EXPECT_TRUE(os::GetWindowsFolder(folder));
  return folder + "\\" + path;
}

profile_probe::Calls SandboxCalls() {
  profile_probe::Calls calls;
  calls.get = [](const std::string& path, const Step& step, std::string& value) {
    return os::GetProfileString(path, step.section, step.key, step.value, value, step.size);
  };
  calls.section = [](const std::string& path, const Step& step, std::string& raw) {
    return os::GetProfileSectionBuffer(path, step.section, raw, step.size);
  };
  calls.write = [](const std::string& path, const Step& step) {
    return os::WriteProfileString(path, step.section, step.key, step.value);
  };
  calls.writeFile = [](const std::string& path, const std::string& bytes) {
    return testing_support::WriteFileBytes(FilePath(path), bytes);
  };
  calls.readFile = [](const std::string& path, std::string& bytes) {
    return testing_support::ReadFileBytes(FilePath(path), bytes);
  };
  calls.removeFile = [](const std::string& path) {
    ::unlink(testing_support::HostPathOf(FilePath(path)).c_str());
  };
  return calls;
}

std::vector<std::string> SplitKeepingEnds(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bool end = bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'));
    if (end) {
      lines.push_back(bytes.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

// The line holding the key in the first section of that name, without its
// line end; "(none)" when there is none.
std::string KeyLine(const std::string& bytes, const std::string& section, const std::string& key) {
  bool inSection = false;
  bool seen = false;
  for (const std::string& raw : SplitKeepingEnds(bytes)) {
    std::string line = WithoutLineEnd(raw);
    std::string trimmed = os::TrimProfileBlanks(line);
    size_t close = trimmed.rfind(']');
    if (!trimmed.empty() && trimmed[0] == '[' && close != std::string::npos) {
      if (seen) break;
      inSection = os::SameProfileName(os::TrimProfileBlanks(trimmed.substr(1, close - 1)), section);
      seen = inSection;
      continue;
    }
    size_t equals = trimmed.find('=');
    if (inSection && equals != std::string::npos && trimmed[0] != ';' &&
        os::SameProfileName(os::TrimProfileBlanks(trimmed.substr(0, equals)), key)) {
      return line;
    }
  }
  return "(none)";
}

// How many lines of before were replaced and how many lines of after
// replace them, once the common leading and trailing lines are set aside.
void ChangedBlock(const std::string& before, const std::string& after, size_t& removed, size_t& added) {
  std::vector<std::string> a = SplitKeepingEnds(before);
  std::vector<std::string> b = SplitKeepingEnds(after);
  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  removed = a.size() - head - tail;
  added = b.size() - head - tail;
}

struct WineResult {
  std::string step;
  std::string ret;
  bool fileExists = false;
  std::string result;
};

bool ParseWineLine(const std::string& line, WineResult& r) {
  size_t arrow = line.find(" -> ");
  if (arrow == std::string::npos) return false;
  r.step = line.substr(0, arrow);
  size_t space = line.find(' ', arrow + 4);
  if (space == std::string::npos || space + 1 >= line.size()) return false;
  r.ret = line.substr(arrow + 4, space - arrow - 4);
  r.fileExists = line[space + 1] == '+';
  r.result = profile_probe::Unescape(line.substr(space + 2));
  return true;
}

// Checks one write of ours against Wine's and against the file before it.
// A UTF-16 file must stay UTF-16; its lines are compared as the A calls read them.
void CheckWrite(const Step& step, const std::string& beforeBytes, const profile_probe::Result& ours,
                const WineResult& wine, const std::string& where) {
  EXPECT_EQ(std::to_string(ours.ret), wine.ret) << where;
  EXPECT_EQ(ours.fileExists, wine.fileExists) << where;
  auto utf16 = [](const std::string& bytes) { return bytes.compare(0, 2, "\xff\xfe") == 0; };
  EXPECT_EQ(utf16(ours.result), utf16(wine.result)) << where << ": the file's encoding";
  const std::string before = os::ProfileAnsiView(beforeBytes);
  const std::string mine = os::ProfileAnsiView(ours.result);
  const std::string theirs = os::ProfileAnsiView(wine.result);
  size_t removed = 0;
  size_t added = 0;
  ChangedBlock(before, mine, removed, added);
  if (step.key == nullptr) {
    EXPECT_EQ(added, 0u) << where << ": deleting a section only removes lines";
  } else if (step.value == nullptr) {
    EXPECT_EQ(added, 0u) << where;
    EXPECT_LE(removed, 1u) << where << ": deleting a key removes its line only";
  } else {
    EXPECT_LE(removed, 1u) << where << ": setting a key changes one line";
    EXPECT_LE(added, 3u) << where << ": at most a line end, a header and the key";
    EXPECT_EQ(KeyLine(mine, step.section, step.key), KeyLine(theirs, step.section, step.key))
        << where << ": the written line";
  }
}

void CompareCase(const profile_probe::Case& c, const std::vector<profile_probe::Result>& ours,
                 const std::vector<std::string>& wineLines) {
  ASSERT_EQ(ours.size(), wineLines.size()) << c.name << ": the probe reported a different number of steps";
  std::string before = c.hasFile ? c.content : std::string();
  for (size_t i = 0; i < ours.size(); ++i) {
    const std::string where = c.name + ", step " + std::to_string(i + 1) + ": " + ours[i].step;
    const Step& step = c.steps[i];
    if (step.op != 'w') {
      EXPECT_EQ(profile_probe::ResultLine(ours[i]), wineLines[i]) << where;
      continue;
    }
    WineResult wine;
    ASSERT_TRUE(ParseWineLine(wineLines[i], wine)) << where << ": " << wineLines[i];
    EXPECT_EQ(ours[i].step, wine.step) << where;
    CheckWrite(step, before, ours[i], wine, where);
    before = ours[i].result;
  }
}

TEST(ProfileDifferential, SandboxAgreesWithTheRealApi) {
  std::string why;
  const std::string run = wine_probe::ProbeCommand("profile_probe.exe", "profile-probe ready", why);
  if (run.empty()) GTEST_SKIP() << why;
  std::string output;
  ASSERT_TRUE(wine_probe::RunUntil(run + " 2>/dev/null", "profile-probe end", output))
      << "the probe failed under Wine: " << output.substr(0, 2000);

  const std::map<std::string, std::vector<std::string>> wine = ParseReport(output);
  const profile_probe::Calls calls = SandboxCalls();
  const std::vector<profile_probe::Case> cases = profile_probe::Cases();
  const std::string folder = testing_support::NewTestFolder();
  for (size_t i = 0; i < cases.size(); ++i) {
    auto found = wine.find(cases[i].name);
    ASSERT_NE(found, wine.end()) << "the probe did not report case " << cases[i].name;
    CompareCase(cases[i], profile_probe::RunCase(calls, cases[i], profile_probe::CasePath(cases[i], i, folder)),
                found->second);
  }
}

// The comparison itself, checked without Wine: a report the sandbox made
// must agree with itself, and a written line that differs must be caught.
TEST(ProfileDifferential, ComparisonCatchesADifferentWrittenLine) {
  const profile_probe::Calls calls = SandboxCalls();
  const std::string folder = testing_support::NewTestFolder();
  const std::vector<profile_probe::Case> cases = profile_probe::Cases();
  for (size_t i = 0; i < cases.size(); ++i) {
    std::vector<profile_probe::Result> ours =
        profile_probe::RunCase(calls, cases[i], profile_probe::CasePath(cases[i], i, folder));
    std::string report = "case " + cases[i].name + "\n";
    for (const profile_probe::Result& r : ours) report += profile_probe::ResultLine(r) + "\n";
    CompareCase(cases[i], ours, ParseReport(report)[cases[i].name]);
  }
  profile_probe::Result ours;
  ours.step = "w [s] [k] [v] 0";
  ours.ret = 1;
  ours.result = "[s]\r\nk=v\r\n";
  WineResult wine;
  ASSERT_TRUE(ParseWineLine("w [s] [k] [v] 0 -> 1 +[s]\\x0d\\x0ak=other\\x0d\\x0a", wine));
  EXPECT_NE(KeyLine(ours.result, "s", "k"), KeyLine(wine.result, "s", "k"));
  size_t removed = 0;
  size_t added = 0;
  ChangedBlock("[s]\r\nk=old\r\n; keep\r\n", "[s]\r\nk=v\r\n; keep\r\n", removed, added);
  EXPECT_EQ(removed, 1u);
  EXPECT_EQ(added, 1u);
}

}  // namespace
