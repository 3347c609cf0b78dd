#include "descriptors/ini_value.h"

#include "descriptors/descriptor_syntax.h"
#include "os/errors.h"
#include "os/files.h"
#include "os/profile.h"
#include "platform/empty_item.h"
#include "platform/ini_write.h"
#include "platform/plain_log.h"

std::string QueryINIValue(CHFS_LogPort& log, const std::string& value) {
  std::string inner;
  if (!BracketedInner(value, inner)) return std::string();
  std::string file, section, key;
  if (SpliteINIParameter(log, inner, file, section, key) != 0) {
    WritePlainLog(log, "%s", "Syntax error , Incorrect INI description!");
    return std::string();
  }
  std::string copy;
  if (section.empty()) {
    if (MakeTempINICopy(file, copy) != 0) {
      log.NoteRefusedRead(file);
      WritePlainLog(log, "INI Query Value '%s' Failed! ret=%d , lasterror=%d", inner.c_str(), -1,
                    static_cast<int>(os::LastError()));
      return std::string();
    }
    section = kTempINISection;
  }
  const std::string& readFrom = copy.empty() ? file : copy;
  std::string text;
  long count = static_cast<long>(
      os::GetProfileString(readFrom, section, key, kEmptyItem, text, os::kProfileValueBuffer));
  unsigned long lastError = os::LastError();
  if (text == kEmptyItem) log.NoteRefusedRead(readFrom);
  if (text == kEmptyItem) {
    count = -1;
    text.clear();
    log.Trace("*** Warning:  Item '%s' not found in Section '%s' ! (file:%s) lasterror=%d",
              key.c_str(), section.c_str(), readFrom.c_str(), static_cast<int>(lastError));
  }
  if (count < 1) {
    WritePlainLog(log, "INI Query Value '%s' Failed! ret=%d , lasterror=%d", inner.c_str(),
                  static_cast<int>(count), static_cast<int>(lastError));
    text.clear();
  }
  if (!copy.empty()) (void)os::DeleteFile(copy);
  return text;
}
