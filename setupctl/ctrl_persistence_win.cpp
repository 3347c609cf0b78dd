// TessalyCtrl's persistence: a property bag (the page's parameters), a
// stream and a storage. Loading goes through the puts, so a loaded control
// writes its file just as one set from script.
#include <array>

#include "setupctl/tessaly_ctrl_win.h"

namespace tessaly {

namespace {

// Stream layout: magic, extent, then per property in persistence order a
// 32-bit length in UTF-16 units (kNullLength for a value never set) and the
// units. The magic's last byte is the format version.
constexpr DWORD kStreamMagic = 0x314C5354;  // "TSL1"
constexpr DWORD kNullLength = 0xFFFFFFFF;
// Far above any real setting; a longer length means a damaged stream.
constexpr DWORD kMaxStoredLength = 1u << 20;
const wchar_t kContentsStream[] = L"Contents";

std::wstring Wide(const char* ascii) {
  std::wstring text;
  for (; *ascii != '\0'; ++ascii) text += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
  return text;
}

HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size) {
  ULONG got = 0;
  const HRESULT hr = stream->Read(buffer, size, &got);
  if (FAILED(hr)) return hr;
  return got == size ? S_OK : STG_E_READFAULT;
}

HRESULT WriteExactly(IStream* stream, const void* buffer, ULONG size) {
  ULONG written = 0;
  const HRESULT hr = stream->Write(buffer, size, &written);
  if (FAILED(hr)) return hr;
  return written == size ? S_OK : STG_E_WRITEFAULT;
}

// Reads one named value of the bag as text; false when the bag lacks it or
// it cannot be had as a string.
bool ReadBagText(IPropertyBag* bag, IErrorLog* log, const char* name, Value& value) {
  VARIANT var;
  ::VariantInit(&var);
  var.vt = VT_BSTR;
  const std::wstring wideName = Wide(name);
  bool ok = SUCCEEDED(bag->Read(wideName.c_str(), &var, log));
  if (ok && var.vt != VT_BSTR) ok = SUCCEEDED(::VariantChangeType(&var, &var, 0, VT_BSTR));
  if (ok) value = ValueOf(var.bstrVal);
  ::VariantClear(&var);
  return ok;
}

bool ReadBagNumber(IPropertyBag* bag, IErrorLog* log, const char* name, LONG& number) {
  VARIANT var;
  ::VariantInit(&var);
  var.vt = VT_I4;
  const std::wstring wideName = Wide(name);
  bool ok = SUCCEEDED(bag->Read(wideName.c_str(), &var, log));
  if (ok && var.vt != VT_I4) ok = SUCCEEDED(::VariantChangeType(&var, &var, 0, VT_I4));
  if (ok) number = var.lVal;
  ::VariantClear(&var);
  return ok;
}

HRESULT WriteBagNumber(IPropertyBag* bag, const char* name, LONG number) {
  VARIANT var;
  ::VariantInit(&var);
  var.vt = VT_I4;
  var.lVal = number;
  return bag->Write(Wide(name).c_str(), &var);
}

}  // namespace

STDMETHODIMP TessalyCtrl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_TessalyCtrl;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP TessalyCtrl::InitNew() { return S_OK; }

STDMETHODIMP TessalyCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
  if (bag == nullptr) return E_POINTER;
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    Value value;
    if (ReadBagText(bag, log, order[i]->persistedName, value)) {
      (void)PutValue(order[i]->dispid, value);
    }
  }
  (void)ReadBagNumber(bag, log, kExtentWidthName, extent_.cx);
  (void)ReadBagNumber(bag, log, kExtentHeightName, extent_.cy);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (bag == nullptr) return E_POINTER;
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    Value value;
    if (!settings_.Get(order[i]->dispid, value) || !value) continue;
    VARIANT var;
    ::VariantInit(&var);
    var.vt = VT_BSTR;
    var.bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value->data()),
                                      static_cast<UINT>(value->size()));
    if (var.bstrVal == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = bag->Write(Wide(order[i]->persistedName).c_str(), &var);
    ::VariantClear(&var);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = WriteBagNumber(bag, kExtentWidthName, extent_.cx);
  if (SUCCEEDED(hr)) hr = WriteBagNumber(bag, kExtentHeightName, extent_.cy);
  if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
  return hr;
}

HRESULT TessalyCtrl::LoadFromStream(IStream* stream) {
  DWORD magic = 0;
  SIZEL extent = {};
  HRESULT hr = ReadExactly(stream, &magic, sizeof(magic));
  if (SUCCEEDED(hr) && magic != kStreamMagic) hr = STG_E_OLDFORMAT;
  if (SUCCEEDED(hr)) hr = ReadExactly(stream, &extent, sizeof(extent));
  // Everything is read and checked before anything is applied, so a damaged
  // stream leaves the control as it was.
  std::array<Value, kPropertyCount> values;
  for (std::size_t i = 0; SUCCEEDED(hr) && i < kPropertyCount; ++i) {
    DWORD length = 0;
    hr = ReadExactly(stream, &length, sizeof(length));
    if (FAILED(hr) || length == kNullLength) continue;
    if (length > kMaxStoredLength) return STG_E_DOCFILECORRUPT;
    std::u16string text(length, u'\0');
    if (length > 0) hr = ReadExactly(stream, &text[0], length * sizeof(char16_t));
    values[i] = std::move(text);
  }
  if (FAILED(hr)) return hr;
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; i < kPropertyCount; ++i) (void)PutValue(order[i]->dispid, values[i]);
  extent_ = extent;
  return S_OK;
}

HRESULT TessalyCtrl::SaveToStream(IStream* stream) {
  HRESULT hr = WriteExactly(stream, &kStreamMagic, sizeof(kStreamMagic));
  if (SUCCEEDED(hr)) hr = WriteExactly(stream, &extent_, sizeof(extent_));
  const PropertyInfo* const* order = PersistenceOrder();
  for (std::size_t i = 0; SUCCEEDED(hr) && i < kPropertyCount; ++i) {
    Value value;
    (void)settings_.Get(order[i]->dispid, value);
    const DWORD length = value ? static_cast<DWORD>(value->size()) : kNullLength;
    hr = WriteExactly(stream, &length, sizeof(length));
    if (SUCCEEDED(hr) && value && !value->empty()) {
      hr = WriteExactly(stream, value->data(), length * sizeof(char16_t));
    }
  }
  return hr;
}

STDMETHODIMP TessalyCtrl::Load(LPSTREAM stream) {
  if (stream == nullptr) return E_POINTER;
  return LoadFromStream(stream);
}

STDMETHODIMP TessalyCtrl::Save(LPSTREAM stream, BOOL clearDirty) {
  if (stream == nullptr) return E_POINTER;
  const HRESULT hr = SaveToStream(stream);
  if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
  return hr;
}

STDMETHODIMP TessalyCtrl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  ULONGLONG total = sizeof(kStreamMagic) + sizeof(extent_);
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    Value value;
    (void)settings_.Get(Properties()[i].dispid, value);
    total += sizeof(DWORD) + (value ? value->size() * sizeof(char16_t) : 0);
  }
  size->QuadPart = total;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::InitNew(IStorage*) { return S_OK; }

STDMETHODIMP TessalyCtrl::Load(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         stream.put());
  return FAILED(hr) ? hr : LoadFromStream(stream.get());
}

STDMETHODIMP TessalyCtrl::Save(IStorage* storage, BOOL) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->CreateStream(
      kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put());
  return FAILED(hr) ? hr : SaveToStream(stream.get());
}

STDMETHODIMP TessalyCtrl::SaveCompleted(IStorage*) {
  dirty_ = false;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::HandsOffStorage() { return S_OK; }

}  // namespace tessaly
