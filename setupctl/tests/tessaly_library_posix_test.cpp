// libtessaly.so as a client sees it after dlopen: the four exports, the
// class factory, IDispatch by name and by dispid, property-bag loading, and
// registration into the sandbox registry.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "os/profile.h"
#include "os/registry.h"
#include "setupctl/mini_com_posix.h"
#include "setupctl/registration_steps.h"
#include "setupctl/tessaly_settings.h"

namespace {

using namespace minicom;

struct Library {
  void* handle = nullptr;
  DllGetClassObjectFn getClassObject = nullptr;
  DllCanUnloadNowFn canUnloadNow = nullptr;
  DllRegisterServerFn registerServer = nullptr;
  DllUnregisterServerFn unregisterServer = nullptr;
};

const Library& Tessaly() {
  static const Library library = [] {
    Library l;
    l.handle = ::dlopen(TESSALY_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (l.handle == nullptr) return l;
    l.getClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(l.handle, "DllGetClassObject"));
    l.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(l.handle, "DllCanUnloadNow"));
    l.registerServer = reinterpret_cast<DllRegisterServerFn>(::dlsym(l.handle, "DllRegisterServer"));
    l.unregisterServer = reinterpret_cast<DllUnregisterServerFn>(::dlsym(l.handle, "DllUnregisterServer"));
    return l;
  }();
  return library;
}

template <typename T>
class Ptr {
 public:
  Ptr() = default;
  ~Ptr() {
    if (p_ != nullptr) p_->Release();
  }
  Ptr(const Ptr&) = delete;
  Ptr& operator=(const Ptr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

class ParamBag final : public IPropertyBag {
 public:
  explicit ParamBag(std::map<std::u16string, std::u16string> params) : params_(std::move(params)) {}
  virtual ~ParamBag() = default;
  HRESULT QueryInterface(const GUID&, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT Read(const OLECHAR* name, VARIANT* value, void*) override {
    auto found = params_.find(name);
    if (found == params_.end()) return E_INVALIDARG;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocStringLen(found->second.data(), static_cast<std::uint32_t>(found->second.size()));
    return S_OK;
  }
  HRESULT Write(const OLECHAR* name, VARIANT* value) override {
    if (value->vt == VT_BSTR) params_[name] = std::u16string(value->bstrVal, SysStringLen(value->bstrVal));
    return S_OK;
  }
  const std::map<std::u16string, std::u16string>& params() const { return params_; }

 private:
  std::map<std::u16string, std::u16string> params_;
};

std::string Ini(const char* section, const char* key) {
  std::string path;
  EXPECT_TRUE(tessaly::IniPath(path));
  std::string value;
  (void)os::GetProfileString(path, section, key, "(missing)", value);
  return value;
}

class LoadedLibrary : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Tessaly().handle, nullptr) << ::dlerror();
    ASSERT_NE(Tessaly().getClassObject, nullptr);
    ASSERT_NE(Tessaly().canUnloadNow, nullptr);
    ASSERT_NE(Tessaly().registerServer, nullptr);
    ASSERT_NE(Tessaly().unregisterServer, nullptr);
    std::string path;
    ASSERT_TRUE(tessaly::IniPath(path));
    (void)os::WriteProfileString(path, "FerrovalWebDeployment", nullptr, nullptr);
    (void)os::WriteProfileString(path, "FerrovalServer", nullptr, nullptr);
  }

  static void Create(const GUID& iid, void** object) {
    Ptr<IClassFactory> factory;
    ASSERT_EQ(Tessaly().getClassObject(&CLSID_TessalyCtrl, &IID_IClassFactory, factory.out()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, iid, object), S_OK);
  }
};

DISPID IdOf(IDispatch* control, const char16_t* name) {
  DISPID id = 0;
  OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
  const HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  return hr == S_OK ? id : DISPID_UNKNOWN;
}

HRESULT Put(IDispatch* control, DISPID id, VARIANT arg, bool named = true) {
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&arg, named ? &put : nullptr, 1, named ? 1u : 0u};
  return control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT PutText(IDispatch* control, const char16_t* name, const char16_t* text) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(text);
  const HRESULT hr = Put(control, IdOf(control, name), arg);
  VariantClear(&arg);
  return hr;
}

// The value, or "(null)" for a null BSTR.
std::u16string Get(IDispatch* control, const char16_t* name) {
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (control->Invoke(IdOf(control, name), IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                      nullptr) != S_OK) {
    return u"(failed)";
  }
  std::u16string text = result.vt != VT_BSTR       ? u"(not text)"
                        : result.bstrVal == nullptr ? u"(null)"
                                                    : std::u16string(result.bstrVal, SysStringLen(result.bstrVal));
  VariantClear(&result);
  return text;
}

TEST_F(LoadedLibrary, NamesResolveToTheTypeLibraryDispids) {
  Ptr<IDispatch> control;
  Create(IID_IDispatch, control.out());
  EXPECT_EQ(IdOf(control.get(), u"Server"), 1);
  EXPECT_EQ(IdOf(control.get(), u"clientsubdir"), 3);
  EXPECT_EQ(IdOf(control.get(), u"WriteIni"), 52);
  EXPECT_EQ(IdOf(control.get(), u"ServerPort"), 53);
  EXPECT_EQ(IdOf(control.get(), u"ServiceModel"), 54);
  EXPECT_EQ(IdOf(control.get(), u"CgiProxy"), DISPID_UNKNOWN);  // a page name, not a member
  EXPECT_EQ(IdOf(control.get(), u"Serv\u00e9r"), DISPID_UNKNOWN);
}

TEST_F(LoadedLibrary, PutsByNameWriteTheFileAndGetsReturnCopies) {
  Ptr<IDispatch> control;
  Create(IID_IDispatch, control.out());
  EXPECT_EQ(Get(control.get(), u"Server"), u"(null)");
  ASSERT_EQ(PutText(control.get(), u"Server", u"deploy.example"), S_OK);
  ASSERT_EQ(PutText(control.get(), u"CgiOnRequestUID", u"/uid"), S_OK);
  EXPECT_EQ(Get(control.get(), u"Server"), u"deploy.example");
  EXPECT_EQ(Ini("FerrovalWebDeployment", "Server"), "deploy.example");
  EXPECT_EQ(Ini("FerrovalServer", "Server"), "deploy.example");
  EXPECT_EQ(Ini("FerrovalServer", "CgiOnRequestUID"), "/uid");

  ASSERT_EQ(PutText(control.get(), u"Server", u""), S_OK);
  EXPECT_EQ(Get(control.get(), u"Server"), u"");
  EXPECT_EQ(Ini("FerrovalWebDeployment", "Server"), "deploy.example");
}

TEST_F(LoadedLibrary, BadCallsAreRefused) {
  Ptr<IDispatch> control;
  Create(IID_IDispatch, control.out());
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 8080;
  EXPECT_EQ(Put(control.get(), 53, number), S_OK);
  EXPECT_EQ(Get(control.get(), u"ServerPort"), u"8080");
  VARIANT empty;
  VariantInit(&empty);
  EXPECT_EQ(Put(control.get(), 53, empty), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Put(control.get(), 53, number, false), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(Put(control.get(), 55, number), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(control->Invoke(52, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(control->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);

  Ptr<IClassFactory> factory;
  const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(Tessaly().getClassObject(&other, &IID_IClassFactory, factory.out()), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory.get(), nullptr);
}

TEST_F(LoadedLibrary, APagesParametersLoadThroughThePuts) {
  Ptr<IDispatch> control;
  Create(IID_IDispatch, control.out());
  Ptr<IPersistPropertyBag> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistPropertyBag, persist.out()), S_OK);
  ParamBag page({{u"ClientsubDir", u"client"},
                 {u"CgiProxy", u"1"},
                 {u"UseOnRequestProgram", u"/cgi/program"},
                 {u"LatestPatternFilename", u"lpt.zip"},
                 {u"ClientSubDir", u"ignored: the persisted name has a lower-case s"}});
  ASSERT_EQ(persist->InitNew(), S_OK);
  ASSERT_EQ(persist->Load(&page, nullptr), S_OK);
  EXPECT_EQ(Get(control.get(), u"ClientSubDir"), u"client");
  EXPECT_EQ(Get(control.get(), u"UseProxy"), u"1");
  EXPECT_EQ(Get(control.get(), u"CgiOnRequestProgram"), u"/cgi/program");
  EXPECT_EQ(Get(control.get(), u"PatternFilename"), u"lpt.zip");

  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  ASSERT_EQ(control->Invoke(52, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(Ini("FerrovalWebDeployment", "ClientSubDir"), "client");
  EXPECT_EQ(Ini("FerrovalWebDeployment", "UseProxy"), "1");
  EXPECT_EQ(Ini("FerrovalServer", "CgiOnRequestProgram"), "/cgi/program");
  EXPECT_EQ(Ini("FerrovalWebDeployment", "LatestPatternFilename"), "lpt.zip");

  ParamBag saved({});
  ASSERT_EQ(persist->Save(&saved, 1, 1), S_OK);
  EXPECT_EQ(saved.params().at(u"ClientsubDir"), u"client");
  EXPECT_EQ(saved.params().at(u"CgiProxy"), u"1");
  EXPECT_EQ(saved.params().count(u"Server"), 0u);  // never set, not saved
}

TEST_F(LoadedLibrary, UnloadsOnlyWhenNothingIsAlive) {
  {
    Ptr<IDispatch> control;
    Create(IID_IDispatch, control.out());
    EXPECT_EQ(Tessaly().canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(Tessaly().canUnloadNow(), S_OK);
}

bool KeyExists(const std::string& path) {
  os::RegistryKey key;
  return key.Open(os::RegRoot::kClassesRoot, path, os::RegAccess::kRead) == 0;
}

std::string Value(const std::string& path, const std::string& name = "") {
  os::RegistryKey key;
  if (key.Open(os::RegRoot::kClassesRoot, path, os::RegAccess::kRead) != 0) return "(no key)";
  unsigned long type = 0;
  std::string data;
  if (key.QueryValue(name, type, data) != 0) return "(no value)";
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

TEST_F(LoadedLibrary, RegistersIntoTheSandboxRegistryAndUnregisters) {
  ASSERT_EQ(Tessaly().registerServer(), S_OK);
  const std::string clsid = std::string("CLSID\\") + tessaly::kClsidText;
  EXPECT_EQ(Value("FerrovalTessalyCtrl.TessalyCtrl.1\\CLSID"), tessaly::kClsidText);
  EXPECT_EQ(Value(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  const std::string module = Value(clsid + "\\InprocServer32");
  EXPECT_EQ(module.substr(0, 3), "Z:\\");
  EXPECT_NE(module.find("libtessaly.so"), std::string::npos);
  EXPECT_EQ(Value(clsid + "\\ToolboxBitmap32"), module + ", 1");
  EXPECT_EQ(Value(clsid + "\\MiscStatus\\1"), "131473");
  EXPECT_EQ(Value(std::string("TypeLib\\") + tessaly::kLibidText + "\\1.0\\409\\win32"), module);
  EXPECT_EQ(Value("Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", "409"),
            "Controls safely initializable from persistent data");
  EXPECT_TRUE(KeyExists(clsid + "\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));

  ASSERT_EQ(Tessaly().registerServer(), S_OK);  // again over itself
  ASSERT_EQ(Tessaly().unregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists("FerrovalTessalyCtrl.TessalyCtrl.1"));
  EXPECT_FALSE(KeyExists("FerrovalTessalyCtrl.TessalyCtrl"));
  EXPECT_FALSE(KeyExists(clsid));
  EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + tessaly::kLibidText));
  EXPECT_TRUE(KeyExists("CLSID"));
  EXPECT_EQ(Tessaly().unregisterServer(), S_OK);  // nothing left to remove is no failure
}

}  // namespace
