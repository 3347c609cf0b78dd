// TessalyCtrl on POSIX: the portable Settings behind IDispatch (by dispid and
// by name, from the property table instead of a type library) and
// property-bag loading. There is no drawing on this platform.
#pragma once

#include <atomic>

#include "setupctl/mini_com_posix.h"
#include "setupctl/tessaly_settings.h"

namespace tessaly {

class TessalyObject final : public minicom::IDispatch, public minicom::IPersistPropertyBag {
 public:
  // A new instance queried for iid.
  [[nodiscard]] static minicom::HRESULT Create(const minicom::GUID& iid, void** object) noexcept;

  TessalyObject(const TessalyObject&) = delete;
  TessalyObject& operator=(const TessalyObject&) = delete;

  minicom::HRESULT QueryInterface(const minicom::GUID& iid, void** object) override;
  minicom::ULONG AddRef() override;
  minicom::ULONG Release() override;

  minicom::HRESULT GetTypeInfoCount(std::uint32_t* count) override;
  minicom::HRESULT GetTypeInfo(std::uint32_t index, minicom::LCID lcid, void** info) override;
  minicom::HRESULT GetIDsOfNames(const minicom::GUID& iid, minicom::OLECHAR** names, std::uint32_t count,
                                 minicom::LCID lcid, minicom::DISPID* ids) override;
  minicom::HRESULT Invoke(minicom::DISPID id, const minicom::GUID& iid, minicom::LCID lcid,
                          std::uint16_t flags, minicom::DISPPARAMS* params, minicom::VARIANT* result,
                          void* exception, std::uint32_t* argError) override;

  minicom::HRESULT GetClassID(minicom::GUID* clsid) override;
  minicom::HRESULT InitNew() override;
  minicom::HRESULT Load(minicom::IPropertyBag* bag, void* errorLog) override;
  minicom::HRESULT Save(minicom::IPropertyBag* bag, int clearDirty, int saveAll) override;

 private:
  TessalyObject();
  ~TessalyObject();

  // Stores a value and writes the INI file, as every put does.
  [[nodiscard]] minicom::HRESULT PutValue(long dispid, const Value& value);
  [[nodiscard]] minicom::HRESULT InvokePut(long dispid, const minicom::DISPPARAMS& params,
                                           std::uint32_t* argError);
  [[nodiscard]] minicom::HRESULT InvokeGet(long dispid, const minicom::DISPPARAMS& params,
                                           minicom::VARIANT* result) const;

  std::atomic<minicom::ULONG> references_{1};
  Settings settings_;
  std::int32_t extentWidth_ = 5080;  // HIMETRIC, as on Windows
  std::int32_t extentHeight_ = 3810;
};

// Live objects and server locks, for DllCanUnloadNow.
void AddModuleReference() noexcept;
void ReleaseModuleReference() noexcept;
[[nodiscard]] bool ModuleInUse() noexcept;

}  // namespace tessaly
