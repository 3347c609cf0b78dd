// The IUnknown of a small heap object that offers one interface: reference
// counting from 1 and QueryInterface for IUnknown and that interface.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace tessaly {

template <typename Interface, const IID& InterfaceId>
class SingleInterface : public Interface {
 public:
  SingleInterface() = default;
  virtual ~SingleInterface() = default;
  SingleInterface(const SingleInterface&) = delete;
  SingleInterface& operator=(const SingleInterface&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, InterfaceId)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  volatile LONG references_ = 1;
};

}  // namespace tessaly
