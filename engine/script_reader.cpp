#include "engine/engine.h"
#include "os/profile.h"

std::string CHFS_Engine::ReadItem(const std::string& key, const std::string& section,
                                  int warnIfMissing, const std::string& fileName) {
  const std::string* path = &scriptPath_;
  if (!fileName.empty()) {
    path = &fileName;
    Trace("Read item from file '%s'!", fileName.c_str());
  }
  std::string text;
  unsigned long length =
      os::GetProfileString(*path, section, key, kEmptyItem, text, os::kProfileValueBuffer);
  if (text == kEmptyItem) CheckRefusedRead(*path);
  if (text == kEmptyItem && warnIfMissing != 0) {
    Trace("*** Warning:  Item '%s' not found in Section '%s' !", key.c_str(), section.c_str());
  }
  std::string value = length > 0 ? ReplaceSymbols(text) : std::string();
  if (flags_.trace && windows_ != nullptr && windows_->HasCurrentMainWindow() &&
      value != kEmptyItem) {
    ShowTraceBox(section, key, value);
  }
  return value;
}

void CHFS_Engine::ShowTraceBox(const std::string& section, const std::string& key,
                               const std::string& value) {
  std::string caption = "Brevane Trace Window - [" + section + "]";
  std::string text = "[" + section + "]\t\t\t\t\t\r\n" + key + "=" + value;
  // The silent flag does not suppress this box; Cancel ends tracing for good.
  if (windows_->MessageBox(text, caption, kMbOkCancel | kMbIconError, false) == kIdCancel) {
    flags_.trace = false;
  }
}
