#include "setupctl/class_factory_win.h"

#include <new>

#include "setupctl/single_interface_win.h"

#include "setupctl/com_module_win.h"
#include "setupctl/tessaly_ctrl_win.h"

namespace tessaly {

namespace {

class ClassFactory final : public SingleInterface<IClassFactory, IID_IClassFactory> {
 public:
  ClassFactory() { AddModuleReference(); }
  ~ClassFactory() override { ReleaseModuleReference(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return TessalyCtrl::Create(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      AddModuleReference();
    } else {
      ReleaseModuleReference();
    }
    return S_OK;
  }
};

}  // namespace

HRESULT CreateClassFactory(REFIID iid, void** object) noexcept {
  auto* factory = new (std::nothrow) ClassFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

}  // namespace tessaly
