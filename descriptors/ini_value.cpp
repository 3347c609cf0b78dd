#include "descriptors/ini_value.h"

#include <cstdio>

#include "engine/engine.h"
#include "os/errors.h"
#include "os/profile.h"

int SetINIVariable(CHFS_Engine& engine, const std::string& file, const std::string& section,
                   const std::string& key, const std::string& value) {
  engine.Trace("Update INI: Write %s='%s':len=%d in section [%s]!", key.c_str(), value.c_str(),
               static_cast<int>(value.size()), section.c_str());
  // An empty value is passed as no value at all, which removes the key.
  bool ok = os::WriteProfileString(file, section, key.c_str(),
                                   value.empty() ? nullptr : value.c_str());
  if (ok) {
    engine.Trace("Update INI: Write Success! ");
    return 0;
  }
  unsigned long lastError = os::LastError();
  if (CHFS_Reporter* reporter = engine.Reporter()) {
    char line[kTraceBufferSize];
    std::snprintf(line, sizeof(line), "Write INI '%s', Value %s=%s in section '%s' Failed! lasterror=%lu",
                  file.c_str(), key.c_str(), value.c_str(), section.c_str(), lastError);
    reporter->WriteLog(line);
  }
  return -1;
}
