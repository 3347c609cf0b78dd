#include "setupctl/registration_steps.h"

namespace tessaly {

std::vector<ScriptEntry> RegistryScript(const std::string& modulePath) {
  const std::string clsidKey = std::string("CLSID\\") + kClsidText;
  const std::string vi = kVersionIndependentProgId;
  const std::string progId = kProgId;
  return {
      {progId, "", kClassDescription, true},
      {progId + "\\CLSID", "", kClsidText, true},
      {vi, "", kClassDescription, true},
      // CurVer names the versioned ProgID that exists, and the CLSID lets a
      // client create the control by its version-independent name too.
      {vi + "\\CLSID", "", kClsidText, true},
      {vi + "\\CurVer", "", kProgId, true},
      {clsidKey, "", kClassDescription, true},
      {clsidKey + "\\ProgID", "", kProgId, true},
      {clsidKey + "\\VersionIndependentProgID", "", kVersionIndependentProgId, true},
      {clsidKey + "\\Programmable", "", "", false},
      {clsidKey + "\\Control", "", "", false},
      {clsidKey + "\\Insertable", "", "", false},
      {clsidKey + "\\InprocServer32", "", modulePath, true},
      {clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment", true},
      {clsidKey + "\\ToolboxBitmap32", "", modulePath + ", 1", true},
      {clsidKey + "\\MiscStatus", "", "0", true},
      {clsidKey + "\\MiscStatus\\1", "", "131473", true},
      {clsidKey + "\\TypeLib", "", kLibidText, true},
      {clsidKey + "\\Version", "", "1.0", true},
  };
}

std::vector<std::string> RegistryScriptRoots() {
  return {kProgId, kVersionIndependentProgId, std::string("CLSID\\") + kClsidText};
}

const char* CategoryIdText(SafetyCategory category) noexcept {
  return category == SafetyCategory::kSafeForScripting ? "{7DD95801-9882-11CF-9FA9-00AA006C42C4}"
                                                       : "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";
}

std::int32_t RegisterSafetyCategories(CategoryRegistrar& registrar) {
  struct Step {
    bool create;
    SafetyCategory category;
    const char* description;
    const char* caption;
  };
  static const Step kSteps[] = {
      {true, SafetyCategory::kSafeForScripting, "Controls that are safely scriptable",
       "CLSID_TessalyCtrl - CATID_SafeForScripting - CreateComponentCategory"},
      {true, SafetyCategory::kSafeForInitializing, "Controls safely initializable from persistent data",
       "CLSID_TessalyCtrl - CATID_SafeForInitializing - CreateComponentCategory()"},
      {false, SafetyCategory::kSafeForScripting, nullptr,
       "CLSID_TessalyCtrl - CATID_SafeForScripting - RegisterCLSIDInCategory"},
      {false, SafetyCategory::kSafeForInitializing, nullptr,
       "CLSID_TessalyCtrl - CATID_SafeForInitializing - RegisterCLSIDInCategory"},
  };
  for (const Step& step : kSteps) {
    const std::int32_t result = step.create ? registrar.CreateCategory(step.category, step.description)
                                            : registrar.RegisterClassIn(step.category);
    if (result < 0) {
      registrar.ShowFailure(step.caption, result);
      return result;
    }
  }
  return 0;
}

}  // namespace tessaly
