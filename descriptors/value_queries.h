// The engine's reader of value descriptors in symbol values: the registry,
// INI and file-information readers of this folder.
#pragma once

#include <memory>
#include <string>

#include "platform/log_port.h"

// The result of evaluating a value descriptor found in a symbol value.
class CHFS_ValueQueries {
 public:
  virtual ~CHFS_ValueQueries() = default;
  // Each returns the value the descriptor names (empty when it cannot be read).
  virtual std::string QueryRegistryValue(const std::string& text) = 0;
  virtual std::string QueryFileInfo(const std::string& text) = 0;
  virtual std::string QueryINIValue(const std::string& text) = 0;
};

std::unique_ptr<CHFS_ValueQueries> MakeDescriptorQueries(CHFS_LogPort& log);
