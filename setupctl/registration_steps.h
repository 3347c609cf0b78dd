// The parts of self-registration that are the same on every platform: the
// registry script's content and the order of the component-category steps
// with what their failures look like.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

// SELFREG_E_CLASS: the class could not be registered.
constexpr std::int32_t kSelfRegClassError = static_cast<std::int32_t>(0x80040201u);

constexpr const char* kClsidText = "{993B44F1-B481-4358-BF0E-3B4B8AE588B6}";
constexpr const char* kLibidText = "{601AA0D8-9E2C-4C74-8196-A5633C9C4E89}";
constexpr const char* kProgId = "FerrovalTessalyCtrl.TessalyCtrl.1";
constexpr const char* kVersionIndependentProgId = "FerrovalTessalyCtrl.TessalyCtrl";
constexpr const char* kClassDescription = "Ferroval TessalyCtrl Class";

// One value the registry script sets under HKEY_CLASSES_ROOT. An empty
// valueName is the key's default value; hasValue false only creates the key.
struct ScriptEntry {
  std::string keyPath;
  std::string valueName;
  std::string value;
  bool hasValue;
};

// The script for a library at modulePath, parents before children.
[[nodiscard]] std::vector<ScriptEntry> RegistryScript(const std::string& modulePath);

// The key trees unregistration removes; HKEY_CLASSES_ROOT\CLSID itself stays.
[[nodiscard]] std::vector<std::string> RegistryScriptRoots();

enum class SafetyCategory { kSafeForScripting, kSafeForInitializing };

// The system's category identifiers, as registry key names.
[[nodiscard]] const char* CategoryIdText(SafetyCategory category) noexcept;

// What a platform does for each category step; results are HRESULTs.
class CategoryRegistrar {
 public:
  virtual ~CategoryRegistrar() = default;
  [[nodiscard]] virtual std::int32_t CreateCategory(SafetyCategory category, const char* description) = 0;
  [[nodiscard]] virtual std::int32_t RegisterClassIn(SafetyCategory category) = 0;
  // Tells the person registering which step failed and why.
  virtual void ShowFailure(const char* caption, std::int32_t result) = 0;
};

// Creates both categories, then registers the class in each, stopping at the
// first failure, which is shown and returned: a caller such as an installer
// must learn that the control is not marked safe.
[[nodiscard]] std::int32_t RegisterSafetyCategories(CategoryRegistrar& registrar);

}  // namespace tessaly
