#include "lint/script_checker.h"

#include <algorithm>

#include "lint/script_check.h"
#include "os/errors.h"
#include "os/simple_file.h"
#include "platform/file_ops.h"
#include "platform/path_utils.h"

namespace {

// UTF-16 text has a NUL in every other byte of its ASCII; the profile API
// reads such a file as one without the author's sections.
bool LooksUtf16(const std::string& bytes) {
  if (bytes.size() >= 2 && ((bytes[0] == '\xff' && bytes[1] == '\xfe') ||
                            (bytes[0] == '\xfe' && bytes[1] == '\xff'))) {
    return true;
  }
  const size_t sample = std::min<size_t>(bytes.size(), 512);
  size_t nuls = 0;
  for (size_t i = 0; i < sample; ++i) nuls += bytes[i] == '\0' ? 1 : 0;
  return sample >= 8 && nuls * 4 >= sample;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

void ScriptCheck::Add(bool error, const ScriptSection* section, int line, const std::string& text) {
  findings_.push_back(LintFinding{error, line, section != nullptr ? section->name : std::string(), text});
}

int LintResult::Errors() const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [](const LintFinding& f) { return f.error; }));
}

int LintResult::Warnings() const { return static_cast<int>(findings.size()) - Errors(); }

int LintResult::ExitStatus() const { return Errors() > 0 ? 2 : Warnings() > 0 ? 1 : 0; }

std::string LintResult::Report() const {
  std::vector<LintFinding> sorted = findings;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
  std::string report;
  for (const LintFinding& finding : sorted) {
    report += file + ":" + std::to_string(finding.line) + ": " + (finding.error ? "error" : "warning") +
              ": ";
    if (!finding.section.empty()) report += "[" + finding.section + "] ";
    report += finding.text + "\n";
  }
  const int errors = Errors();
  const int warnings = Warnings();
  report += file + ": " + std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
            std::to_string(warnings) + (warnings == 1 ? " warning\n" : " warnings\n");
  return report;
}

LintResult CheckScriptText(const std::string& fileName, const std::string& bytes,
                           const GroupSpecMatcher& matcher, bool silent) {
  LintResult result;
  result.file = fileName;
  if (LooksUtf16(bytes)) {
    result.findings.push_back(
        {true, 1, "", "the script is UTF-16 text: Windows reads it as no sections at all; save it as ANSI"});
    return result;
  }
  std::string text = bytes;
  if (text.compare(0, 3, "\xef\xbb\xbf") == 0) {
    result.findings.push_back({true, 1, "",
                               "the script begins with a UTF-8 byte order mark: Windows reads it as part "
                               "of the first line; save it as ANSI"});
    text.erase(0, 3);
  }
  ScriptText script(text);
  ScriptCheck(script, matcher, silent, result.findings).Run();
  return result;
}

LintResult CheckScriptFile(const std::string& path, bool silent) {
  std::string bytes;
  if (!os::ReadAllBytes(path, bytes)) {
    const unsigned long error = os::LastError();
    LintResult result;
    result.file = path;
    result.findings.push_back({true, 0, "", "cannot be read: " + os::SystemMessage(error) +
                                                " (lasterror=" + std::to_string(error) + ")"});
    return result;
  }
  const std::string package = FolderOf(path);
  auto matcher = [&package](const std::string& group, const std::string& spec) {
    std::vector<std::string> files;
    const std::string folder = platform::JoinPath(package, group, platform::DirectoryOf(spec));
    return platform::ListFiles(files, folder, platform::FileNameOf(spec)) > 0;
  };
  return CheckScriptText(path, bytes, matcher, silent);
}
