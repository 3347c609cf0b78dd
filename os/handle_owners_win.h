// The owners of Win32 handles, declared once: kernel objects that are null
// when absent (threads, processes, events), files that are
// INVALID_HANDLE_VALUE when absent, service manager handles and modules.
#pragma once

#include <windows.h>

#include "os/unique_handle.h"

namespace os {

struct KernelHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

struct Win32FileHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};
using UniqueWin32File = UniqueHandle<HANDLE, Win32FileHandleTraits>;

struct ScHandleTraits {
  static SC_HANDLE Invalid() noexcept { return nullptr; }
  static void Close(SC_HANDLE handle) noexcept { ::CloseServiceHandle(handle); }
};
using UniqueScHandle = UniqueHandle<SC_HANDLE, ScHandleTraits>;

struct ModuleTraits {
  static HMODULE Invalid() noexcept { return nullptr; }
  static void Close(HMODULE module) noexcept { ::FreeLibrary(module); }
};
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;

}  // namespace os
