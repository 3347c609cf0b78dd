#include <windows.h>

#include <cstring>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/files.h"

namespace os {

namespace {

std::uint64_t FromFiletime(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME ToFiletime(std::uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

bool MayCreateOrTruncate(unsigned long disposition) {
  return disposition != kOpenExisting;
}

void FillFindData(const WIN32_FIND_DATAA& found, FindData& data) {
  data.attributes = found.dwFileAttributes;
  data.times.creation = FromFiletime(found.ftCreationTime);
  data.times.lastAccess = FromFiletime(found.ftLastAccessTime);
  data.times.lastWrite = FromFiletime(found.ftLastWriteTime);
  data.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data.name = found.cFileName;
}

// VerQueryValueA converts text into the spare room GetFileVersionInfoA left
// behind the block, so it needs a writable copy.
bool QueryValue(const std::vector<unsigned char>& block, const std::string& subBlock,
                std::vector<unsigned char>& value) {
  if (block.empty()) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  std::vector<unsigned char> copy(block);
  LPVOID found = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(copy.data(), subBlock.c_str(), &found, &length) || found == nullptr) {
    SetLastError(kErrorResourceTypeNotFound);
    return false;
  }
  const unsigned char* begin = static_cast<const unsigned char*>(found);
  value.assign(begin, begin + length);
  return true;
}

}  // namespace

NativeHandle InvalidNativeHandle() noexcept { return INVALID_HANDLE_VALUE; }

void FileHandleTraits::Close(NativeHandle handle) noexcept { ::CloseHandle(handle); }

void FindHandleTraits::Close(NativeHandle handle) noexcept { ::FindClose(handle); }

unsigned long GetFileAttributes(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

bool SetFileAttributes(const std::string& path, unsigned long attributes) {
  if (!AllowChange(ChangeKind::kFileAttributes, path)) return false;
  return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

UniqueFile CreateFile(const std::string& path, unsigned long access, unsigned long share,
                      unsigned long disposition, unsigned long attributes) {
  if (MayCreateOrTruncate(disposition)) {
    if (!AllowChange(ChangeKind::kFileCreate, path)) return UniqueFile();
  } else if ((access & kGenericWrite) != 0) {
    if (!AllowChange(ChangeKind::kFileWrite, path)) return UniqueFile();
  }
  return UniqueFile(::CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes,
                                  nullptr));
}

bool ReadFile(NativeHandle file, void* buffer, unsigned long size, unsigned long& bytesRead) {
  DWORD got = 0;
  BOOL ok = ::ReadFile(file, buffer, size, &got, nullptr);
  bytesRead = got;
  return ok != FALSE;
}

bool WriteFile(NativeHandle file, const void* buffer, unsigned long size,
               unsigned long& bytesWritten) {
  DWORD put = 0;
  BOOL ok = ::WriteFile(file, buffer, size, &put, nullptr);
  bytesWritten = put;
  return ok != FALSE;
}

bool GetFileSize(NativeHandle file, std::uint64_t& size) {
  LARGE_INTEGER value;
  if (!::GetFileSizeEx(file, &value)) return false;
  size = static_cast<std::uint64_t>(value.QuadPart);
  return true;
}

bool SetFilePointer(NativeHandle file, std::uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) != FALSE;
}

bool GetFileTime(NativeHandle file, FileTimes& times) {
  FILETIME creation, access, write;
  if (!::GetFileTime(file, &creation, &access, &write)) return false;
  times.creation = FromFiletime(creation);
  times.lastAccess = FromFiletime(access);
  times.lastWrite = FromFiletime(write);
  return true;
}

bool SetFileTime(NativeHandle file, const FileTimes& times) {
  if (!AllowChange(ChangeKind::kFileTimes, "(open file)")) return false;
  FILETIME creation = ToFiletime(times.creation);
  FILETIME access = ToFiletime(times.lastAccess);
  FILETIME write = ToFiletime(times.lastWrite);
  return ::SetFileTime(file, &creation, &access, &write) != FALSE;
}

UniqueFind FindFirstFile(const std::string& pattern, FindData& data) {
  WIN32_FIND_DATAA found = {};
  UniqueFind find(::FindFirstFileA(pattern.c_str(), &found));
  if (find) FillFindData(found, data);
  return find;
}

bool FindNextFile(NativeHandle find, FindData& data) {
  WIN32_FIND_DATAA found = {};
  if (!::FindNextFileA(find, &found)) return false;
  FillFindData(found, data);
  return true;
}

unsigned int GetTempFileName(const std::string& folder, const std::string& prefix,
                             unsigned int unique, std::string& name) {
  if (unique == 0 && !AllowChange(ChangeKind::kFileCreate, folder)) return 0;
  char buffer[MAX_PATH] = {};
  UINT number = ::GetTempFileNameA(folder.c_str(), prefix.c_str(), unique, buffer);
  if (number != 0) name = buffer;
  return number;
}

bool CreateDirectory(const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderCreate, path)) return false;
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool CreateDirectoryEx(const std::string& templateFolder, const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderCreate, path)) return false;
  return ::CreateDirectoryExA(templateFolder.c_str(), path.c_str(), nullptr) != FALSE;
}

bool RemoveDirectory(const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderRemove, path)) return false;
  return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

bool DeleteFile(const std::string& path) {
  if (!AllowChange(ChangeKind::kFileDelete, path)) return false;
  return ::DeleteFileA(path.c_str()) != FALSE;
}

bool MoveFile(const std::string& from, const std::string& to, bool replaceExisting) {
  if (!AllowChange(ChangeKind::kFileRename, from)) return false;
  if (!replaceExisting) return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
  WIN32_FILE_ATTRIBUTE_DATA moved = {};
  const bool known = ::GetFileAttributesExA(from.c_str(), GetFileExInfoStandard, &moved) != FALSE;
  if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  // NTFS name tunnelling gives a file that takes a name freed moments ago
  // the creation time of the file that had it. A move keeps the file's own.
  WIN32_FILE_ATTRIBUTE_DATA now = {};
  if (known && ::GetFileAttributesExA(to.c_str(), GetFileExInfoStandard, &now) &&
      std::memcmp(&now.ftCreationTime, &moved.ftCreationTime, sizeof(FILETIME)) != 0) {
    HANDLE file = ::CreateFileA(to.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      (void)::SetFileTime(file, &moved.ftCreationTime, nullptr, nullptr);
      ::CloseHandle(file);
    }
  }
  return true;
}

bool GetDiskFreeSpace(const std::string& folder, DiskSpace& space) {
  ULARGE_INTEGER caller, total, free;
  if (!::GetDiskFreeSpaceExA(folder.c_str(), &caller, &total, &free)) return false;
  space.freeToCaller = caller.QuadPart;
  space.total = total.QuadPart;
  space.totalFree = free.QuadPart;
  return true;
}

bool GetFileVersionInfo(const std::string& path, std::vector<unsigned char>& block) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return false;
  block.assign(size, 0);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
    block.clear();
    return false;
  }
  return true;
}

bool QueryFixedFileInfo(const std::vector<unsigned char>& block, FixedFileInfo& info) {
  std::vector<unsigned char> value;
  if (!QueryValue(block, "\\", value) || value.size() < sizeof(VS_FIXEDFILEINFO)) return false;
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value.data(), sizeof(fixed));
  info.fileVersionMS = fixed.dwFileVersionMS;
  info.fileVersionLS = fixed.dwFileVersionLS;
  info.productVersionMS = fixed.dwProductVersionMS;
  info.productVersionLS = fixed.dwProductVersionLS;
  info.fileFlags = fixed.dwFileFlags;
  info.fileOS = fixed.dwFileOS;
  info.fileType = fixed.dwFileType;
  return true;
}

bool QueryTranslations(const std::vector<unsigned char>& block,
                       std::vector<std::uint32_t>& translations) {
  std::vector<unsigned char> value;
  if (!QueryValue(block, "\\VarFileInfo\\Translation", value)) return false;
  translations.clear();
  for (size_t i = 0; i + 4 <= value.size(); i += 4) {
    translations.push_back(static_cast<std::uint32_t>(value[i]) |
                           (static_cast<std::uint32_t>(value[i + 1]) << 8) |
                           (static_cast<std::uint32_t>(value[i + 2]) << 16) |
                           (static_cast<std::uint32_t>(value[i + 3]) << 24));
  }
  return true;
}

bool QueryVersionString(const std::vector<unsigned char>& block, const std::string& subBlock,
                        std::string& text) {
  std::vector<unsigned char> value;
  if (!QueryValue(block, subBlock, value)) return false;
  text.assign(value.begin(), value.end());
  size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return true;
}

bool IsLeadByte(unsigned char c) noexcept { return ::IsDBCSLeadByte(c) != FALSE; }

}  // namespace os
