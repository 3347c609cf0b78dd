#include "setupctl/tessaly_object_posix.h"

#include <new>
#include <string>
#include <utility>

namespace tessaly {

using namespace minicom;

namespace {

std::atomic<long> g_moduleReferences{0};

Value ValueOf(BSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::u16string(text, SysStringLen(text));
}

std::u16string Wide(const char* ascii) {
  std::u16string text;
  for (; *ascii != '\0'; ++ascii) text += static_cast<char16_t>(static_cast<unsigned char>(*ascii));
  return text;
}

// A member name as the ASCII our names are made of; false for any other
// character, which no member has.
bool AsciiName(const OLECHAR* name, std::string& ascii) {
  if (name == nullptr) return false;
  ascii.clear();
  for (; *name != u'\0'; ++name) {
    if (*name > 0x7F) return false;
    ascii += static_cast<char>(*name);
  }
  return true;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

DISPID DispidOfName(const OLECHAR* name) {
  std::string ascii;
  if (!AsciiName(name, ascii)) return DISPID_UNKNOWN;
  if (SameIgnoringCase(ascii, "WriteIni")) return kWriteIniDispid;
  const PropertyInfo* info = FindByName(ascii.c_str());
  return info == nullptr ? DISPID_UNKNOWN : static_cast<DISPID>(info->dispid);
}

// A bag value as text: strings as they are, numbers in decimal.
bool BagText(IPropertyBag* bag, void* log, const char* name, Value& value) {
  VARIANT var;
  VariantInit(&var);
  var.vt = VT_BSTR;
  const bool read = !Failed(bag->Read(Wide(name).c_str(), &var, log));
  bool ok = false;
  if (read && var.vt == VT_BSTR) {
    value = ValueOf(var.bstrVal);
    ok = true;
  } else if (read && var.vt == VT_I4) {
    const std::string digits = std::to_string(var.lVal);
    value = Wide(digits.c_str());
    ok = true;
  }
  VariantClear(&var);
  return ok;
}

}  // namespace

void AddModuleReference() noexcept { ++g_moduleReferences; }
void ReleaseModuleReference() noexcept { --g_moduleReferences; }
bool ModuleInUse() noexcept { return g_moduleReferences.load() != 0; }

HRESULT TessalyObject::Create(const GUID& iid, void** object) noexcept {
  auto* created = new (std::nothrow) TessalyObject();
  if (created == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

TessalyObject::TessalyObject() { AddModuleReference(); }
TessalyObject::~TessalyObject() { ReleaseModuleReference(); }

HRESULT TessalyObject::QueryInterface(const GUID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistPropertyBag) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TessalyObject::AddRef() { return ++references_; }

ULONG TessalyObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TessalyObject::GetTypeInfoCount(std::uint32_t* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT TessalyObject::GetTypeInfo(std::uint32_t, LCID, void** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT TessalyObject::GetIDsOfNames(const GUID& iid, OLECHAR** names, std::uint32_t count, LCID,
                                     DISPID* ids) {
  if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr) return E_POINTER;
  if (count == 0) return S_OK;
  ids[0] = DispidOfName(names[0]);
  // Our members take no named arguments, so further names are unknown.
  for (std::uint32_t i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT TessalyObject::Invoke(DISPID id, const GUID& iid, LCID, std::uint16_t flags, DISPPARAMS* params,
                              VARIANT* result, void*, std::uint32_t* argError) {
  if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (params == nullptr) return E_INVALIDARG;
  if (id == kWriteIniDispid) {
    if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    settings_.WriteIni();
    if (result != nullptr) VariantInit(result);
    return S_OK;
  }
  if (FindByDispid(id) == nullptr) return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_PROPERTYPUT) != 0) return InvokePut(id, *params, argError);
  if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0) return InvokeGet(id, *params, result);
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TessalyObject::InvokePut(long dispid, const DISPPARAMS& params, std::uint32_t* argError) {
  if (params.cArgs != 1 || params.rgvarg == nullptr) return DISP_E_BADPARAMCOUNT;
  if (params.cNamedArgs != 1 || params.rgdispidNamedArgs == nullptr ||
      params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return DISP_E_PARAMNOTFOUND;
  }
  const VARIANT& arg = params.rgvarg[0];
  if (arg.vt == VT_BSTR) return PutValue(dispid, ValueOf(arg.bstrVal));
  if (arg.vt == VT_I4) return PutValue(dispid, Wide(std::to_string(arg.lVal).c_str()));
  if (argError != nullptr) *argError = 0;
  return DISP_E_TYPEMISMATCH;
}

HRESULT TessalyObject::InvokeGet(long dispid, const DISPPARAMS& params, VARIANT* result) const {
  if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (result == nullptr) return S_OK;
  Value value;
  (void)settings_.Get(dispid, value);
  VariantInit(result);
  result->vt = VT_BSTR;
  if (!value) return S_OK;
  result->bstrVal = SysAllocStringLen(value->data(), static_cast<std::uint32_t>(value->size()));
  return result->bstrVal == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT TessalyObject::PutValue(long dispid, const Value& value) {
  if (!settings_.Put(dispid, value)) return DISP_E_MEMBERNOTFOUND;
  settings_.WriteIni();
  return S_OK;
}

HRESULT TessalyObject::GetClassID(GUID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_TessalyCtrl;
  return S_OK;
}

HRESULT TessalyObject::InitNew() { return S_OK; }

HRESULT TessalyObject::Load(IPropertyBag* bag, void* errorLog) {
  if (bag == nullptr) return E_POINTER;
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    Value value;
    if (BagText(bag, errorLog, order[i]->persistedName, value)) (void)PutValue(order[i]->dispid, value);
  }
  const std::pair<const char*, std::int32_t*> extents[] = {{kExtentWidthName, &extentWidth_},
                                                           {kExtentHeightName, &extentHeight_}};
  for (const auto& [name, extent] : extents) {
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_I4;
    if (!Failed(bag->Read(Wide(name).c_str(), &var, errorLog)) && var.vt == VT_I4) *extent = var.lVal;
    VariantClear(&var);
  }
  return S_OK;
}

HRESULT TessalyObject::Save(IPropertyBag* bag, int, int) {
  if (bag == nullptr) return E_POINTER;
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    Value value;
    if (!settings_.Get(order[i]->dispid, value) || !value) continue;
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_BSTR;
    var.bstrVal = SysAllocStringLen(value->data(), static_cast<std::uint32_t>(value->size()));
    if (var.bstrVal == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = bag->Write(Wide(order[i]->persistedName).c_str(), &var);
    VariantClear(&var);
    if (Failed(hr)) return hr;
  }
  const std::pair<const char*, std::int32_t> extents[] = {{kExtentWidthName, extentWidth_},
                                                          {kExtentHeightName, extentHeight_}};
  for (const auto& [name, extent] : extents) {
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_I4;
    var.lVal = extent;
    const HRESULT hr = bag->Write(Wide(name).c_str(), &var);
    if (Failed(hr)) return hr;
  }
  return S_OK;
}

}  // namespace tessaly
