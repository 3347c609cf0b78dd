#include "platform/ini_write.h"

#include "os/errors.h"
#include "os/files.h"
#include "os/profile.h"
#include "platform/plain_log.h"

namespace {

void LogWriteFailure(CHFS_LogPort& log, const std::string& file, const std::string& section,
                     const std::string& key, const std::string& value, unsigned long lastError) {
  WritePlainLog(log, "Write INI '%s', Value %s=%s in section '%s' Failed! lasterror=%d",
                file.c_str(), key.c_str(), value.c_str(), section.c_str(), static_cast<int>(lastError));
}

int WriteEntry(CHFS_LogPort& log, const std::string& file, const std::string& section,
               const std::string& key, const std::string& value) {
  log.Trace("Update INI: Write %s='%s':len=%d in section [%s]!", key.c_str(), value.c_str(),
            static_cast<int>(value.size()), section.c_str());
  // An empty value is passed as no value at all, which removes the key.
  if (os::WriteProfileString(file, section, key.c_str(), value.empty() ? nullptr : value.c_str())) {
    log.Trace("Update INI: Write Success! ");
    return 0;
  }
  LogWriteFailure(log, file, section, key, value, os::LastError());
  return -1;
}

int SetSectionlessVariable(CHFS_LogPort& log, const std::string& file, const std::string& key,
                           const std::string& value) {
  std::string copy;
  if (MakeTempINICopy(file, copy) != 0) {
    // Writing on without the copy would write into a file with no name.
    LogWriteFailure(log, file, std::string(), key, value, os::LastError());
    return -1;
  }
  int result = WriteEntry(log, copy, kTempINISection, key, value);
  int applied = ApplyTempINICopy(copy, file);
  (void)os::DeleteFile(copy);
  if (applied != 0) {
    WritePlainLog(log, "Can't apply INI change from '%s' to '%s' iRet = %d", copy.c_str(),
                  file.c_str(), applied);
    return -2;
  }
  return result;
}

}  // namespace

int SetINIVariable(CHFS_LogPort& log, const std::string& file, const std::string& section,
                   const std::string& key, const std::string& value) {
  if (section.empty()) return SetSectionlessVariable(log, file, key, value);
  return WriteEntry(log, file, section, key, value);
}

