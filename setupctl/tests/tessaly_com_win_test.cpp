// Tessaly.dll as a page's host sees it: registered with regsvr32, created by
// ProgID, driven through IDispatch by name, loaded from a property bag with
// the page's parameter names, drawn, persisted, and unregistered again.
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "setupctl/registration_steps.h"
#include "setupctl/tessaly_h.h"

namespace {

std::string ModuleBeside(const char* name) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// regsvr32's exit code, or -1 when it could not be run.
long RunRegsvr32(const std::string& options) {
  std::string command = "regsvr32 " + options + " \"" + ModuleBeside("Tessaly.dll") + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return -1;
  }
  ::WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

std::string StringValue(const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
  char data[512] = {};
  DWORD size = sizeof(data) - 1;
  DWORD type = 0;
  const LONG status = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "(no value)";
}

std::string IniPath() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "FerrovalWebDeployment.ini";
}

std::string IniValue(const char* section, const char* key) {
  char value[256] = {};
  ::GetPrivateProfileStringA(section, key, "(missing)", value, sizeof(value), IniPath().c_str());
  return value;
}

class Apartment {
 public:
  Apartment() : hr_(::OleInitialize(nullptr)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) ::OleUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  HRESULT hr_;
};

// A page's <param> elements as the host hands them over.
class ParamBag final : public IPropertyBag {
 public:
  explicit ParamBag(std::map<std::wstring, std::wstring> params) : params_(std::move(params)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IPropertyBag)) {
      *object = static_cast<IPropertyBag*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    ++reads;
    auto found = params_.find(name);
    if (found == params_.end()) return E_INVALIDARG;
    value->vt = VT_BSTR;
    value->bstrVal = ::SysAllocString(found->second.c_str());
    return S_OK;
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    if (value->vt != VT_BSTR) return S_OK;
    params_[name] = std::wstring(value->bstrVal, ::SysStringLen(value->bstrVal));
    return S_OK;
  }
  int reads = 0;

 private:
  std::map<std::wstring, std::wstring> params_;
};

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

DISPID IdOf(IDispatch* control, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
  return id;
}

void PutByName(IDispatch* control, const wchar_t* name, const wchar_t* text) {
  VARIANT arg;
  ::VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = ::SysAllocString(text);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&arg, &named, 1, 1};
  EXPECT_EQ(control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                            &params, nullptr, nullptr, nullptr),
            S_OK)
      << name;
  ::VariantClear(&arg);
}

std::wstring GetByName(IDispatch* control, const wchar_t* name) {
  VARIANT result;
  ::VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                            &none, &result, nullptr, nullptr),
            S_OK)
      << name;
  std::wstring text = result.vt == VT_BSTR && result.bstrVal != nullptr ? result.bstrVal : L"(null)";
  ::VariantClear(&result);
  return text;
}

// Through the vtable, where a value never set is a null BSTR rather than the
// empty text IDispatch makes of it.
bool NeverSet(IDispatch* control, HRESULT (STDMETHODCALLTYPE ITessalyCtrl::*get)(BSTR*)) {
  Ptr<ITessalyCtrl> dual;
  if (FAILED(control->QueryInterface(IID_ITessalyCtrl, dual.out()))) return false;
  BSTR value = ::SysAllocString(L"sentinel");
  BSTR before = value;
  const HRESULT hr = (dual.get()->*get)(&value);
  if (value != before) ::SysFreeString(before);
  const bool null = hr == S_OK && value == nullptr;
  ::SysFreeString(value);
  return null;
}

class RegisteredControl : public testing::Test {
 protected:
  static void SetUpTestSuite() { registered_ = RunRegsvr32("/s"); }
  static void TearDownTestSuite() { (void)RunRegsvr32("/u /s"); }
  void SetUp() override {
    ASSERT_EQ(registered_, 0);
    ::DeleteFileA(IniPath().c_str());
  }
  void TearDown() override { ::DeleteFileA(IniPath().c_str()); }

  static HRESULT Create(const wchar_t* progId, IDispatch** control) {
    CLSID clsid;
    const HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(control));
  }

  static long registered_;
};
long RegisteredControl::registered_ = -1;

TEST_F(RegisteredControl, RegistryHoldsTheScriptTypeLibraryAndCategories) {
  const std::string clsid = std::string("CLSID\\") + tessaly::kClsidText;
  EXPECT_EQ(StringValue(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(StringValue(clsid + "\\InprocServer32", nullptr).find("Tessaly.dll") != std::string::npos, true);
  EXPECT_EQ(StringValue(clsid + "\\MiscStatus\\1", nullptr), "131473");
  EXPECT_EQ(StringValue(clsid + "\\TypeLib", nullptr), tessaly::kLibidText);
  EXPECT_EQ(StringValue(clsid + "\\Version", nullptr), "1.0");
  EXPECT_TRUE(KeyExists(clsid + "\\Control"));
  EXPECT_EQ(StringValue("FerrovalTessalyCtrl.TessalyCtrl\\CurVer", nullptr), "FerrovalTessalyCtrl.TessalyCtrl.1");
  EXPECT_TRUE(KeyExists(std::string("TypeLib\\") + tessaly::kLibidText + "\\1.0"));
  EXPECT_TRUE(KeyExists(clsid + "\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_TRUE(KeyExists(clsid + "\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_EQ(StringValue("Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}", "409"),
            "Controls that are safely scriptable");
}

TEST_F(RegisteredControl, ScriptSetsPropertiesByNameAndTheFileFollows) {
  Apartment apartment;
  Ptr<IDispatch> control;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(control.out())), S_OK);
  EXPECT_EQ(IdOf(control.get(), L"Server"), 1);
  EXPECT_EQ(IdOf(control.get(), L"WriteIni"), 52);
  EXPECT_EQ(IdOf(control.get(), L"ServiceModel"), 54);
  PutByName(control.get(), L"Server", L"deploy.example");
  PutByName(control.get(), L"CgiVirtualPath", L"/cgi-bin");
  EXPECT_EQ(GetByName(control.get(), L"Server"), L"deploy.example");
  EXPECT_TRUE(NeverSet(control.get(), &ITessalyCtrl::get_Files));
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "Server"), "deploy.example");
  EXPECT_EQ(IniValue("FerrovalServer", "Server"), "deploy.example");
  EXPECT_EQ(IniValue("FerrovalServer", "CgiVirtualPath"), "/cgi-bin");

  PutByName(control.get(), L"Server", L"");  // an empty put keeps the file's value
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "Server"), "deploy.example");
}

TEST_F(RegisteredControl, TheVersionIndependentProgIdCreatesItToo) {
  Apartment apartment;
  Ptr<IDispatch> control;
  EXPECT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl", reinterpret_cast<IDispatch**>(control.out())), S_OK);
}

TEST_F(RegisteredControl, PageParametersLoadThroughThePuts) {
  Apartment apartment;
  Ptr<IDispatch> control;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(control.out())), S_OK);
  Ptr<IPersistPropertyBag> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistPropertyBag, persist.out()), S_OK);
  ParamBag page({{L"ClientsubDir", L"client"},
                 {L"CgiProxy", L"1"},
                 {L"UseOnRequestProgram", L"/cgi/program"},
                 {L"LatestPatternFilename", L"lpt.zip"},
                 {L"ServerPort", L"8080"}});
  ASSERT_EQ(persist->InitNew(), S_OK);
  ASSERT_EQ(persist->Load(&page, nullptr), S_OK);
  EXPECT_EQ(page.reads, 55);  // every persisted name and the extent

  EXPECT_EQ(GetByName(control.get(), L"ClientSubDir"), L"client");
  EXPECT_EQ(GetByName(control.get(), L"UseProxy"), L"1");
  EXPECT_EQ(GetByName(control.get(), L"CgiOnRequestProgram"), L"/cgi/program");
  EXPECT_EQ(GetByName(control.get(), L"PatternFilename"), L"lpt.zip");

  ::DeleteFileA(IniPath().c_str());
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  ASSERT_EQ(control->Invoke(52, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "ClientSubDir"), "client");
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "UseProxy"), "1");
  EXPECT_EQ(IniValue("FerrovalServer", "CgiOnRequestProgram"), "/cgi/program");
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "LatestPatternFilename"), "lpt.zip");
  EXPECT_EQ(IniValue("FerrovalWebDeployment", "ServerPort"), "8080");
  EXPECT_EQ(IniValue("FerrovalServer", "ClientSubDir"), "(missing)");
}

TEST_F(RegisteredControl, DrawsAGreenBoxWithAWhiteOutlineAndTheListing) {
  Apartment apartment;
  Ptr<IDispatch> control;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(control.out())), S_OK);
  Ptr<IViewObject> view;
  ASSERT_EQ(control->QueryInterface(IID_IViewObject, view.out()), S_OK);

  constexpr int kWidth = 600;
  constexpr int kHeight = 1000;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  const RECTL bounds = {0, 0, kWidth, kHeight};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
  ::GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  auto at = [&](int x, int y) { return pixels[y * kWidth + x] & 0xFFFFFF; };
  EXPECT_EQ(at(0, kHeight / 2), 0xFFFFFFu);
  EXPECT_EQ(at(kWidth / 2, 0), 0xFFFFFFu);
  EXPECT_EQ(at(10, kHeight - 10), 0x00FF00u);
  int green = 0;
  int text = 0;
  for (int y = 4; y < kHeight - 4; ++y) {
    for (int x = 4; x < kWidth - 4; ++x) {
      if (at(x, y) == 0x00FF00u) {
        ++green;
      } else {
        ++text;
      }
    }
  }
  EXPECT_GT(green, kWidth * kHeight / 2);
  EXPECT_GT(text, 0);  // the listing's letters
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  EXPECT_EQ(::GetFileAttributesA(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);  // nothing set, nothing written
}

// A stream's bytes for the test's round trip.
HRESULT SaveToMemory(IUnknown* control, IStream** stream) {
  Ptr<IPersistStreamInit> persist;
  HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, persist.out());
  if (SUCCEEDED(hr)) hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream);
  if (SUCCEEDED(hr)) hr = persist->Save(*stream, TRUE);
  return hr;
}

TEST_F(RegisteredControl, AStreamRoundTripKeepsNullsAndValues) {
  Apartment apartment;
  Ptr<IDispatch> first;
  Ptr<IDispatch> second;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(first.out())), S_OK);
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(second.out())), S_OK);
  PutByName(first.get(), L"ProxyServer", L"proxy");
  PutByName(first.get(), L"ProxyPort", L"");
  Ptr<IStream> stream;
  ASSERT_EQ(SaveToMemory(first.get(), reinterpret_cast<IStream**>(stream.out())), S_OK);

  Ptr<IPersistStreamInit> loader;
  ASSERT_EQ(second->QueryInterface(IID_IPersistStreamInit, loader.out()), S_OK);
  LARGE_INTEGER start = {};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(loader->Load(stream.get()), S_OK);
  EXPECT_EQ(GetByName(second.get(), L"ProxyServer"), L"proxy");
  EXPECT_EQ(GetByName(second.get(), L"ProxyPort"), L"");
  EXPECT_TRUE(NeverSet(second.get(), &ITessalyCtrl::get_Files));
}

TEST_F(RegisteredControl, ADamagedStreamChangesNothing) {
  Apartment apartment;
  Ptr<IDispatch> first;
  Ptr<IDispatch> second;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(first.out())), S_OK);
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(second.out())), S_OK);
  PutByName(first.get(), L"ServiceName", L"new");
  PutByName(second.get(), L"ServiceName", L"old");
  Ptr<IStream> stream;
  ASSERT_EQ(SaveToMemory(first.get(), reinterpret_cast<IStream**>(stream.out())), S_OK);
  ULARGE_INTEGER shorter;
  shorter.QuadPart = 40;
  ASSERT_EQ(stream->SetSize(shorter), S_OK);

  Ptr<IPersistStreamInit> loader;
  ASSERT_EQ(second->QueryInterface(IID_IPersistStreamInit, loader.out()), S_OK);
  LARGE_INTEGER start = {};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_TRUE(FAILED(loader->Load(stream.get())));
  EXPECT_EQ(GetByName(second.get(), L"ServiceName"), L"old");
}

TEST(Unregistration, RemovesTheScriptsKeysButNotTheClsidRoot) {
  ASSERT_EQ(RunRegsvr32("/s"), 0);
  ASSERT_TRUE(KeyExists("FerrovalTessalyCtrl.TessalyCtrl.1"));
  ASSERT_EQ(RunRegsvr32("/u /s"), 0);
  EXPECT_FALSE(KeyExists("FerrovalTessalyCtrl.TessalyCtrl.1"));
  EXPECT_FALSE(KeyExists("FerrovalTessalyCtrl.TessalyCtrl"));
  EXPECT_FALSE(KeyExists(std::string("CLSID\\") + tessaly::kClsidText));
  EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + tessaly::kLibidText + "\\1.0"));
  EXPECT_TRUE(KeyExists("CLSID"));
}

}  // namespace

namespace {

// What a container asks of a full control besides its properties.
TEST_F(RegisteredControl, AnswersTheContainerInterfaces) {
  Apartment apartment;
  Ptr<IDispatch> control;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(control.out())), S_OK);

  Ptr<IOleObject> ole;
  ASSERT_EQ(control->QueryInterface(IID_IOleObject, ole.out()), S_OK);
  DWORD status = 0;
  EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 131473u);
  SIZEL size = {1234, 567};
  EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  SIZEL back = {};
  EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &back), S_OK);
  EXPECT_EQ(back.cx, 1234);
  EXPECT_EQ(back.cy, 567);
  EXPECT_EQ(ole->SetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
  CLSID clsid = {};
  EXPECT_EQ(ole->GetUserClassID(&clsid), S_OK);
  EXPECT_TRUE(::IsEqualCLSID(clsid, CLSID_TessalyCtrl));

  Ptr<IQuickActivate> quick;
  ASSERT_EQ(control->QueryInterface(IID_IQuickActivate, quick.out()), S_OK);
  QACONTAINER container = {};
  container.cbSize = sizeof(container);
  QACONTROL answer = {};
  answer.cbSize = sizeof(answer);
  EXPECT_EQ(quick->QuickActivate(&container, &answer), S_OK);
  EXPECT_EQ(answer.dwMiscStatus, 131473u);

  Ptr<IProvideClassInfo> classInfo;
  ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo, classInfo.out()), S_OK);
  Ptr<ITypeInfo> coclass;
  ASSERT_EQ(classInfo->GetClassInfo(reinterpret_cast<ITypeInfo**>(coclass.out())), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_TRUE(::IsEqualGUID(attributes->guid, CLSID_TessalyCtrl));
  coclass->ReleaseTypeAttr(attributes);

  Ptr<IConnectionPointContainer> points;
  ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, points.out()), S_OK);
  Ptr<IEnumConnectionPoints> all;
  ASSERT_EQ(points->EnumConnectionPoints(reinterpret_cast<IEnumConnectionPoints**>(all.out())), S_OK);
  IConnectionPoint* point = nullptr;
  ULONG fetched = 1;
  EXPECT_EQ(all->Next(1, &point, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  Ptr<ISpecifyPropertyPages> pages;
  ASSERT_EQ(control->QueryInterface(IID_ISpecifyPropertyPages, pages.out()), S_OK);
  CAUUID none = {7, nullptr};
  EXPECT_EQ(pages->GetPages(&none), S_OK);
  EXPECT_EQ(none.cElems, 0u);

  Ptr<IPersistStreamInit> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, persist.out()), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);  // the extent changed
}

TEST_F(RegisteredControl, AStorageRoundTripKeepsTheValues) {
  Apartment apartment;
  Ptr<IDispatch> first;
  Ptr<IDispatch> second;
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(first.out())), S_OK);
  ASSERT_EQ(Create(L"FerrovalTessalyCtrl.TessalyCtrl.1", reinterpret_cast<IDispatch**>(second.out())), S_OK);
  PutByName(first.get(), L"MasterDirectory", L"C:\\Master");

  Ptr<ILockBytes> bytes;
  ASSERT_EQ(::CreateILockBytesOnHGlobal(nullptr, TRUE, reinterpret_cast<ILockBytes**>(bytes.out())), S_OK);
  Ptr<IStorage> storage;
  ASSERT_EQ(::StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           reinterpret_cast<IStorage**>(storage.out())),
            S_OK);
  Ptr<IPersistStorage> saver;
  ASSERT_EQ(first->QueryInterface(IID_IPersistStorage, saver.out()), S_OK);
  ASSERT_EQ(saver->Save(storage.get(), TRUE), S_OK);
  ASSERT_EQ(saver->SaveCompleted(nullptr), S_OK);
  EXPECT_EQ(saver->IsDirty(), S_FALSE);

  Ptr<IPersistStorage> loader;
  ASSERT_EQ(second->QueryInterface(IID_IPersistStorage, loader.out()), S_OK);
  ASSERT_EQ(loader->Load(storage.get()), S_OK);
  EXPECT_EQ(GetByName(second.get(), L"MasterDirectory"), L"C:\\Master");
}

}  // namespace
