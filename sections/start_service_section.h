// StartService sections: each item starts a service and waits until it runs;
// the rollback stops the services the section started (or found running).
#pragma once

#include "sections/service_section.h"

class CHFS_StartServiceSection : public CHFS_ServiceSection {
 public:
  explicit CHFS_StartServiceSection(CHFS_Engine* engine, platform::ServiceBackend backend = {})
      : CHFS_ServiceSection(engine, backend) {}

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;
};
