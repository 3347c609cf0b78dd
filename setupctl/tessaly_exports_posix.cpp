// The four in-process server exports of libtessaly.so and its class factory.
#include <new>

#include "setupctl/mini_com_posix.h"
#include "setupctl/registration_posix.h"
#include "setupctl/tessaly_object_posix.h"

namespace tessaly {

namespace {

using namespace minicom;

class ClassFactory final : public IClassFactory {
 public:
  ClassFactory() { AddModuleReference(); }
  ~ClassFactory() { ReleaseModuleReference(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT QueryInterface(const GUID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return TessalyObject::Create(iid, object);
  }
  HRESULT LockServer(int lock) override {
    if (lock != 0) {
      AddModuleReference();
    } else {
      ReleaseModuleReference();
    }
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace

}  // namespace tessaly

#define TESSALY_EXPORT extern "C" __attribute__((visibility("default")))

TESSALY_EXPORT minicom::HRESULT DllGetClassObject(const minicom::GUID* clsid, const minicom::GUID* iid,
                                                  void** object) {
  if (object == nullptr || clsid == nullptr || iid == nullptr) return minicom::E_POINTER;
  *object = nullptr;
  if (!(*clsid == minicom::CLSID_TessalyCtrl)) return minicom::CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) tessaly::ClassFactory();
  if (factory == nullptr) return minicom::E_OUTOFMEMORY;
  const minicom::HRESULT hr = factory->QueryInterface(*iid, object);
  factory->Release();
  return hr;
}

TESSALY_EXPORT minicom::HRESULT DllCanUnloadNow() {
  return tessaly::ModuleInUse() ? minicom::S_FALSE : minicom::S_OK;
}

TESSALY_EXPORT minicom::HRESULT DllRegisterServer() { return tessaly::RegisterServer(); }

TESSALY_EXPORT minicom::HRESULT DllUnregisterServer() { return tessaly::UnregisterServer(); }
