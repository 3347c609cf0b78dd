// The little of COM that libtessaly.so offers on POSIX, as a binary
// interface a client can use after dlopen: IUnknown, IClassFactory,
// IDispatch (by dispid and by name, no type information) and property-bag
// persistence, with the four in-process server exports.
//
// Interfaces are C++ classes of pure virtual functions, so their vtables
// have the layout the platform's C++ ABI gives them, as COM's do on Windows.
// Strings are BSTRs of UTF-16 units with a 32-bit byte length before them,
// allocated with malloc: SysAllocStringLen and SysFreeString below are
// inline so a client and the library agree on them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace minicom {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using VARTYPE = std::uint16_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);

inline bool Failed(HRESULT hr) { return hr < 0; }

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

constexpr GUID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
constexpr GUID IID_IPersistPropertyBag = {0x37D84F60, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
// {993B44F1-B481-4358-BF0E-3B4B8AE588B6}: the TessalyCtrl class.
constexpr GUID CLSID_TessalyCtrl = {0x993B44F1, 0xB481, 0x4358, {0xBF, 0x0E, 0x3B, 0x4B, 0x8A, 0xE5, 0x88, 0xB6}};

// BSTRs: the length in bytes sits in the four bytes before the text, and a
// NUL follows it. A null BSTR is a valid, empty string.
inline BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length) {
  auto* block = static_cast<char*>(std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
  std::memcpy(block, &bytes, sizeof(bytes));
  auto* result = reinterpret_cast<BSTR>(block + sizeof(std::uint32_t));
  if (text != nullptr && length > 0) std::memcpy(result, text, bytes);
  result[length] = u'\0';
  return result;
}
inline BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  std::uint32_t length = 0;
  while (text[length] != u'\0') ++length;
  return SysAllocStringLen(text, length);
}
inline std::uint32_t SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<char*>(text) - sizeof(std::uint32_t), sizeof(bytes));
  return bytes / static_cast<std::uint32_t>(sizeof(OLECHAR));
}
inline void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
  VARTYPE vt;
  std::uint16_t reserved1;
  std::uint16_t reserved2;
  std::uint16_t reserved3;
  union {
    std::int32_t lVal;
    BSTR bstrVal;
  };
};
inline void VariantInit(VARIANT* v) { std::memset(v, 0, sizeof(*v)); }
inline void VariantClear(VARIANT* v) {
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
}

constexpr std::uint16_t DISPATCH_METHOD = 1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;

struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  std::uint32_t cArgs;
  std::uint32_t cNamedArgs;
};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) = 0;
  virtual HRESULT LockServer(int lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// GetTypeInfo's slot is kept for the layout; there is no type information.
class IDispatch : public IUnknown {
 public:
  virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(std::uint32_t index, LCID lcid, void** info) = 0;
  virtual HRESULT GetIDsOfNames(const GUID& iid, OLECHAR** names, std::uint32_t count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, const GUID& iid, LCID lcid, std::uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, void* exception, std::uint32_t* argError) = 0;

 protected:
  ~IDispatch() = default;
};

class IPropertyBag : public IUnknown {
 public:
  virtual HRESULT Read(const OLECHAR* name, VARIANT* value, void* errorLog) = 0;
  virtual HRESULT Write(const OLECHAR* name, VARIANT* value) = 0;

 protected:
  ~IPropertyBag() = default;
};

class IPersistPropertyBag : public IUnknown {
 public:
  virtual HRESULT GetClassID(GUID* clsid) = 0;
  virtual HRESULT InitNew() = 0;
  virtual HRESULT Load(IPropertyBag* bag, void* errorLog) = 0;
  virtual HRESULT Save(IPropertyBag* bag, int clearDirty, int saveAll) = 0;

 protected:
  ~IPersistPropertyBag() = default;
};

// The exports, as a client finds them with dlsym.
using DllGetClassObjectFn = HRESULT (*)(const GUID* clsid, const GUID* iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

}  // namespace minicom
