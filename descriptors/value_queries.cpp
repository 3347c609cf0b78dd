#include "descriptors/value_queries.h"

#include "descriptors/file_info_value.h"
#include "descriptors/ini_value.h"
#include "descriptors/registry_value.h"

namespace {

class DescriptorQueries : public CHFS_ValueQueries {
 public:
  explicit DescriptorQueries(CHFS_LogPort& log) : log_(log) {}
  std::string QueryRegistryValue(const std::string& text) override {
    return QueryRegistryDescriptor(log_, text);
  }
  std::string QueryFileInfo(const std::string& text) override { return ::QueryFileInfo(log_, text); }
  std::string QueryINIValue(const std::string& text) override { return ::QueryINIValue(log_, text); }

 private:
  CHFS_LogPort& log_;
};

}  // namespace

std::unique_ptr<CHFS_ValueQueries> MakeDescriptorQueries(CHFS_LogPort& log) {
  return std::make_unique<DescriptorQueries>(log);
}
