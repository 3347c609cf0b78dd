// The base of every section handler: the engine it works for, the section it
// reads, and the two operations a step runs and rolls back with.
#pragma once

#include <string>

#include "engine/engine.h"
#include "engine/install_record.h"

class CHFS_Section {
 public:
  explicit CHFS_Section(CHFS_Engine* engine) : engine_(engine) {}
  virtual ~CHFS_Section() = default;
  CHFS_Section(const CHFS_Section&) = delete;
  CHFS_Section& operator=(const CHFS_Section&) = delete;

  virtual int Run(const std::string& sessionName, CHFS_InstallRecord& record) { return 0; }
  virtual int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) { return 0; }

  int SetSectionName(const std::string& name) {
    sectionName_ = name;
    return 0;
  }
  // A key of the current section with symbols substituted; "(empty)" when missing.
  std::string ReadSectionItem(const std::string& key, int warn) {
    return engine_->ReadItem(key, sectionName_, warn);
  }

 protected:
  CHFS_Engine* engine_;
  std::string sectionName_;
};
