#include "setupctl/tessaly_settings.h"

#include <functional>

#include "os/machine.h"
#include "os/profile.h"
#include "setupctl/ansi_text.h"

namespace tessaly {

namespace {

// One listing line: the text before the value, and the value's property.
struct ListingLine {
  const char* label;
  long dispid;
};

const ListingLine kDeploymentLines[] = {
    {"Server = ", 1},
    {"ServerPort = ", 53},
    {"ServerSubDir = ", 2},
    {"ClientSubDir = ", 3},
    {"Files = ", 4},
    {"MoreFiles = ", 29},
    {"EstimativeDiskSpace = ", 5},
    {"ShellExtensionFilename = ", 6},
    {"ServiceName = ", 7},
    {"ServiceDisplayName = ", 26},
    {"ServiceFilename = ", 8},
    {"LatestPatternServer = ", 9},
    {"LatestPatternURL = ", 10},
    {"LatestPatternFilename = ", 27},
    {"ServiceModel = ", 54},
};

const ListingLine kClientLines[] = {
    {"MasterDirectory = ", 35},
    {"ExecutionFilename = ", 36},
    {"DesktopName = ", 37},
    {"FolderName = ", 38},
    {"ShortcutNameList = ", 39},
    {"ShortcutFileList = ", 40},
    {"RegistryINIFilename = ", 41},
    {"LocalServerPort = ", 42},
    {"UnloadPassword = ", 43},
    {"UninstallPassword = ", 44},
    {"ServerIniFile = ", 45},
    {"UseProxy = ", 48},
    {"\nHttpBased = ", 30},
    {"ProxyServer = ", 31},
    {"ProxyPort = ", 32},
};

// Two labels are spelt differently from their properties; pages' users know
// the listing by these texts.
const ListingLine kServerLines[] = {
    {"CgiVirtualPath = ", 28},
    {"CgiOnInstall = ", 11},
    {"CgiOnClose = ", 12},
    {"CgiOnScan = ", 13},
    {"CgiOnUpdate = ", 14},
    {"CgiOnUninstall = ", 15},
    {"CgiOnStart = ", 16},
    {"CgiOnLog = ", 17},
    {"CgiOnRequestPattern = ", 18},
    {"CgiOnRequestEngine = ", 19},
    {"CgiOnRequestEncyclopedia = ", 20},
    {"CgiOnRequestConfiguration = ", 21},
    {"CgiOnRequestProgram = ", 49},
    {"CgiOnRequestUpdate = ", 50},
    {"CgiOnRequestUID = ", 51},
    {"CgiOnManualScanConfiguration = ", 22},
    {"CgiRealtimeScanConfiguration = ", 23},
    {"CgiOnScheduleScnConfiguration = ", 24},
    {"CgiOnExclusionFileConfiguration = ", 25},
};

// The slot of a dispid in the value array: type-library position.
int SlotOf(long dispid) {
  const PropertyInfo* info = FindByDispid(dispid);
  return info == nullptr ? -1 : static_cast<int>(info - Properties());
}

template <std::size_t N>
std::string BuildText(const ListingLine (&lines)[N],
                      const std::function<std::optional<std::string>(long)>& value) {
  std::string text;
  for (const ListingLine& line : lines) {
    std::optional<std::string> v = value(line.dispid);
    text += line.label;
    text += v ? *v : "(null)";
    text += '\n';
  }
  if (text.size() > kListingTextLimit) text.resize(kListingTextLimit);
  return text;
}

}  // namespace

bool Settings::Put(long dispid, const Value& value) {
  const int slot = SlotOf(dispid);
  if (slot < 0) return false;
  values_[static_cast<std::size_t>(slot)] = value;
  return true;
}

bool Settings::Get(long dispid, Value& value) const {
  const int slot = SlotOf(dispid);
  if (slot < 0) return false;
  value = values_[static_cast<std::size_t>(slot)];
  return true;
}

std::optional<std::string> Settings::AnsiValue(long dispid) const {
  const int slot = SlotOf(dispid);
  if (slot < 0 || !values_[static_cast<std::size_t>(slot)]) return std::nullopt;
  std::string text = ToAnsi(*values_[static_cast<std::size_t>(slot)]);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

void Settings::WriteIni() const {
  std::string path;
  if (!IniPath(path)) return;
  const IniSection* sections = IniSections();
  for (std::size_t s = 0; s < kIniSectionCount; ++s) {
    for (std::size_t i = 0; i < sections[s].count; ++i) {
      const long dispid = sections[s].dispids[i];
      std::optional<std::string> value = AnsiValue(dispid);
      if (!value) continue;
      const std::string line = IniLineValue(*value);
      if (line.empty()) continue;
      (void)os::WriteProfileString(path, sections[s].name, FindByDispid(dispid)->key, line.c_str());
    }
  }
}

std::array<std::string, 3> Settings::ListingTexts() const {
  auto value = [this](long dispid) { return AnsiValue(dispid); };
  return {BuildText(kDeploymentLines, value), BuildText(kClientLines, value),
          BuildText(kServerLines, value)};
}

std::string Settings::Listing() const {
  const std::array<std::string, 3> texts = ListingTexts();
  return texts[0] + texts[1] + texts[2];
}

std::string IniPathIn(const std::string& folder) {
  if (folder.empty()) return std::string();
  return folder + (folder.back() == '\\' ? "" : "\\") + kIniFileName;
}

bool IniPath(std::string& path) {
  std::string folder;
  if (!os::GetTempFolder(folder)) return false;
  path = IniPathIn(folder);
  return !path.empty();
}

std::string IniLineValue(const std::string& value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace tessaly
