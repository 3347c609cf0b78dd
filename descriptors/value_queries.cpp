#include "descriptors/value_queries.h"

#include "descriptors/file_info_value.h"
#include "descriptors/ini_value.h"
#include "descriptors/registry_value.h"

namespace {

class DescriptorQueries : public CHFS_ValueQueries {
 public:
  explicit DescriptorQueries(CHFS_Engine& engine) : engine_(engine) {}
  std::string QueryRegistryValue(const std::string& text) override {
    return QueryRegistryDescriptor(engine_, text);
  }
  std::string QueryFileInfo(const std::string& text) override { return ::QueryFileInfo(engine_, text); }
  std::string QueryINIValue(const std::string& text) override { return ::QueryINIValue(engine_, text); }

 private:
  CHFS_Engine& engine_;
};

}  // namespace

std::unique_ptr<CHFS_ValueQueries> MakeDescriptorQueries(CHFS_Engine& engine) {
  return std::make_unique<DescriptorQueries>(engine);
}
