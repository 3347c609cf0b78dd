// Self-registration's portable parts: the component-category steps and the
// registry script's content.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupctl/registration_steps.h"

namespace {

using tessaly::SafetyCategory;

// Records every step and fails the one chosen.
class FakeRegistrar : public tessaly::CategoryRegistrar {
 public:
  explicit FakeRegistrar(int failAt, std::int32_t failure = 0) : failAt_(failAt), failure_(failure) {}

  std::int32_t CreateCategory(SafetyCategory category, const char* description) override {
    calls.push_back(std::string("create ") + Name(category) + ": " + description);
    return Result();
  }
  std::int32_t RegisterClassIn(SafetyCategory category) override {
    calls.push_back(std::string("register ") + Name(category));
    return Result();
  }
  void ShowFailure(const char* caption, std::int32_t result) override {
    captions.push_back(caption);
    shown.push_back(result);
  }

  std::vector<std::string> calls;
  std::vector<std::string> captions;
  std::vector<std::int32_t> shown;

 private:
  static const char* Name(SafetyCategory category) {
    return category == SafetyCategory::kSafeForScripting ? "scripting" : "initializing";
  }
  std::int32_t Result() { return static_cast<int>(calls.size()) == failAt_ ? failure_ : 0; }
  int failAt_;
  std::int32_t failure_;
};

TEST(SafetyCategories, AllFourStepsInOrder) {
  FakeRegistrar registrar(0);
  EXPECT_EQ(tessaly::RegisterSafetyCategories(registrar), 0);
  EXPECT_EQ(registrar.calls, (std::vector<std::string>{
                                 "create scripting: Controls that are safely scriptable",
                                 "create initializing: Controls safely initializable from persistent data",
                                 "register scripting",
                                 "register initializing",
                             }));
  EXPECT_TRUE(registrar.captions.empty());
}

TEST(SafetyCategories, AFailureIsShownReturnedAndStopsTheRest) {
  const char* const captions[] = {
      "CLSID_TessalyCtrl - CATID_SafeForScripting - CreateComponentCategory",
      "CLSID_TessalyCtrl - CATID_SafeForInitializing - CreateComponentCategory()",
      "CLSID_TessalyCtrl - CATID_SafeForScripting - RegisterCLSIDInCategory",
      "CLSID_TessalyCtrl - CATID_SafeForInitializing - RegisterCLSIDInCategory",
  };
  const std::int32_t failure = static_cast<std::int32_t>(0x80070005u);  // access denied
  for (int step = 1; step <= 4; ++step) {
    FakeRegistrar registrar(step, failure);
    EXPECT_EQ(tessaly::RegisterSafetyCategories(registrar), failure) << step;
    EXPECT_EQ(registrar.calls.size(), static_cast<std::size_t>(step));
    ASSERT_EQ(registrar.captions.size(), 1u);
    EXPECT_EQ(registrar.captions[0], captions[step - 1]);
    EXPECT_EQ(registrar.shown[0], failure);
  }
}

std::string ValueOf(const std::vector<tessaly::ScriptEntry>& script, const std::string& key,
                    const std::string& name = "") {
  for (const tessaly::ScriptEntry& e : script) {
    if (e.keyPath == key && e.valueName == name && e.hasValue) return e.value;
  }
  return "(missing)";
}

TEST(RegistryScript, ClassKeysPointAtTheModule) {
  const auto script = tessaly::RegistryScript("C:\\ctl\\Tessaly.dll");
  const std::string clsid = std::string("CLSID\\") + tessaly::kClsidText;
  EXPECT_EQ(ValueOf(script, clsid + "\\InprocServer32"), "C:\\ctl\\Tessaly.dll");
  EXPECT_EQ(ValueOf(script, clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(ValueOf(script, clsid + "\\ToolboxBitmap32"), "C:\\ctl\\Tessaly.dll, 1");
  EXPECT_EQ(ValueOf(script, clsid + "\\MiscStatus"), "0");
  EXPECT_EQ(ValueOf(script, clsid + "\\MiscStatus\\1"), "131473");
  EXPECT_EQ(ValueOf(script, clsid + "\\TypeLib"), tessaly::kLibidText);
  EXPECT_EQ(ValueOf(script, clsid + "\\Version"), "1.0");
  EXPECT_EQ(ValueOf(script, clsid + "\\ProgID"), "FerrovalTessalyCtrl.TessalyCtrl.1");
  EXPECT_EQ(ValueOf(script, clsid + "\\VersionIndependentProgID"), "FerrovalTessalyCtrl.TessalyCtrl");
  EXPECT_EQ(ValueOf(script, clsid), ValueOf(script, "FerrovalTessalyCtrl.TessalyCtrl.1"));
}

TEST(RegistryScript, BothProgIdsLeadToTheClass) {
  const auto script = tessaly::RegistryScript("C:\\Tessaly.dll");
  const std::string current = ValueOf(script, "FerrovalTessalyCtrl.TessalyCtrl\\CurVer");
  EXPECT_EQ(ValueOf(script, current + "\\CLSID"), tessaly::kClsidText);
  EXPECT_EQ(ValueOf(script, "FerrovalTessalyCtrl.TessalyCtrl\\CLSID"), tessaly::kClsidText);
}

TEST(RegistryScript, EveryKeyLiesUnderARootThatUnregistrationRemoves) {
  const auto roots = tessaly::RegistryScriptRoots();
  for (const tessaly::ScriptEntry& e : tessaly::RegistryScript("C:\\Tessaly.dll")) {
    bool covered = false;
    for (const std::string& root : roots) {
      covered = covered || e.keyPath == root || e.keyPath.rfind(root + "\\", 0) == 0;
    }
    EXPECT_TRUE(covered) << e.keyPath;
  }
  for (const std::string& root : roots) EXPECT_NE(root, "CLSID");
}

}  // namespace
