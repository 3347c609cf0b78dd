// StopService sections: each item stops a service and waits until it has
// stopped; the rollback starts the services the section stopped (or found
// not running).
#pragma once

#include "sections/service_section.h"

class CHFS_StopServiceSection : public CHFS_ServiceSection {
 public:
  explicit CHFS_StopServiceSection(CHFS_Engine* engine, platform::ServiceBackend backend = {})
      : CHFS_ServiceSection(engine, backend) {}

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;
};
