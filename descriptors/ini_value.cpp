#include "descriptors/ini_value.h"

#include "descriptors/descriptor_syntax.h"
#include "descriptors/plain_log.h"
#include "engine/engine.h"
#include "os/errors.h"
#include "os/files.h"
#include "os/profile.h"

namespace {

void LogWriteFailure(CHFS_Engine& engine, const std::string& file, const std::string& section,
                     const std::string& key, const std::string& value, unsigned long lastError) {
  WritePlainLog(engine, "Write INI '%s', Value %s=%s in section '%s' Failed! lasterror=%d",
                file.c_str(), key.c_str(), value.c_str(), section.c_str(), static_cast<int>(lastError));
}

int WriteEntry(CHFS_Engine& engine, const std::string& file, const std::string& section,
               const std::string& key, const std::string& value) {
  engine.Trace("Update INI: Write %s='%s':len=%d in section [%s]!", key.c_str(), value.c_str(),
               static_cast<int>(value.size()), section.c_str());
  // An empty value is passed as no value at all, which removes the key.
  if (os::WriteProfileString(file, section, key.c_str(), value.empty() ? nullptr : value.c_str())) {
    engine.Trace("Update INI: Write Success! ");
    return 0;
  }
  LogWriteFailure(engine, file, section, key, value, os::LastError());
  return -1;
}

int SetSectionlessVariable(CHFS_Engine& engine, const std::string& file, const std::string& key,
                           const std::string& value) {
  std::string copy;
  if (MakeTempINICopy(file, copy) != 0) {
    // Writing on without the copy would write into a file with no name.
    LogWriteFailure(engine, file, std::string(), key, value, os::LastError());
    return -1;
  }
  int result = WriteEntry(engine, copy, kTempINISection, key, value);
  int applied = ApplyTempINICopy(copy, file);
  (void)os::DeleteFile(copy);
  if (applied != 0) {
    WritePlainLog(engine, "Can't apply INI change from '%s' to '%s' iRet = %d", copy.c_str(),
                  file.c_str(), applied);
    return -2;
  }
  return result;
}

}  // namespace

int SetINIVariable(CHFS_Engine& engine, const std::string& file, const std::string& section,
                   const std::string& key, const std::string& value) {
  if (section.empty()) return SetSectionlessVariable(engine, file, key, value);
  return WriteEntry(engine, file, section, key, value);
}

std::string QueryINIValue(CHFS_Engine& engine, const std::string& value) {
  std::string inner;
  if (!BracketedInner(value, inner)) return std::string();
  std::string file, section, key;
  if (SpliteINIParameter(engine, inner, file, section, key) != 0) {
    WritePlainLog(engine, "%s", "Syntax error , Incorrect INI description!");
    return std::string();
  }
  std::string copy;
  if (section.empty()) {
    if (MakeTempINICopy(file, copy) != 0) {
      engine.CheckRefusedRead(file);
      WritePlainLog(engine, "INI Query Value '%s' Failed! ret=%d , lasterror=%d", inner.c_str(), -1,
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
  if (text == kEmptyItem) engine.CheckRefusedRead(readFrom);
  if (text == kEmptyItem) {
    count = -1;
    text.clear();
    engine.Trace("*** Warning:  Item '%s' not found in Section '%s' ! (file:%s) lasterror=%d",
                 key.c_str(), section.c_str(), readFrom.c_str(), static_cast<int>(lastError));
  }
  if (count < 1) {
    WritePlainLog(engine, "INI Query Value '%s' Failed! ret=%d , lasterror=%d", inner.c_str(),
                  static_cast<int>(count), static_cast<int>(lastError));
    text.clear();
  }
  if (!copy.empty()) (void)os::DeleteFile(copy);
  return text;
}
