// Files and folders with Win32 semantics, by ANSI Windows path.
//
// Windows: the ANSI file calls (CreateFileA, FindFirstFileA, GetTempFileNameA,
// CreateDirectoryExA, GetDiskFreeSpaceExA ...). POSIX: the sandbox machine
// (os/sandbox_posix.h), agreeing with real Windows:
//   - read-only is the absence of write permission bits, enforced by our own
//     code (tests run as root, which permission bits do not stop): a read-only
//     file cannot be opened for writing, truncated, replaced or deleted;
//   - hidden, system and archive, a folder's read-only bit and the creation
//     time live in the extended attribute "user.brevane.attributes" (a side
//     table in the prefix where the file system has no extended attributes);
//   - sharing modes are honoured between the handles of this process;
//   - version resources are read from the PE file's resource section.
// Every call that changes the machine asks os::AllowChange first and fails
// with ERROR_ACCESS_DENIED when refused: CreateFile asks kFileCreate when it
// may create or truncate and kFileWrite when it opens an existing file for
// writing (writes through the handle are then not asked again).
// Failures set the thread's last error (os/errors.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/unique_handle.h"

// windows.h makes these names macros for their A/W forms; the os:: functions
// keep the plain names in every translation unit.
#undef CreateFile
#undef FindFirstFile
#undef FindNextFile
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetTempFileName
#undef CreateDirectory
#undef CreateDirectoryEx
#undef RemoveDirectory
#undef DeleteFile
#undef MoveFile
#undef GetDiskFreeSpace
#undef GetFileVersionInfo

namespace os {

constexpr unsigned long kInvalidFileAttributes = 0xFFFFFFFFul;
enum FileAttribute : unsigned long {
  kAttributeReadOnly = 0x1,
  kAttributeHidden = 0x2,
  kAttributeSystem = 0x4,
  kAttributeDirectory = 0x10,
  kAttributeArchive = 0x20,
  kAttributeNormal = 0x80,
  kAttributeReparsePoint = 0x400,
};

enum FileAccess : unsigned long {
  kGenericRead = 0x80000000ul,
  kGenericWrite = 0x40000000ul,
};
enum FileShare : unsigned long {
  kShareNone = 0,
  kShareRead = 0x1,
  kShareWrite = 0x2,
  kShareDelete = 0x4,
};
enum FileDisposition : unsigned long {
  kCreateNew = 1,
  kCreateAlways = 2,
  kOpenExisting = 3,
  kOpenAlways = 4,
  kTruncateExisting = 5,
};

// FILETIME values: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTimes {
  std::uint64_t creation = 0;
  std::uint64_t lastAccess = 0;
  std::uint64_t lastWrite = 0;
};

// An open file or find handle (HANDLE on Windows, our own record on POSIX).
using NativeHandle = void*;
NativeHandle InvalidNativeHandle() noexcept;

struct FileHandleTraits {
  static NativeHandle Invalid() noexcept { return InvalidNativeHandle(); }
  static void Close(NativeHandle handle) noexcept;  // CloseHandle
};
struct FindHandleTraits {
  static NativeHandle Invalid() noexcept { return InvalidNativeHandle(); }
  static void Close(NativeHandle handle) noexcept;  // FindClose
};
using UniqueFile = UniqueHandle<NativeHandle, FileHandleTraits>;
using UniqueFind = UniqueHandle<NativeHandle, FindHandleTraits>;

// ---- attributes ------------------------------------------------------------

// GetFileAttributesA: kInvalidFileAttributes on failure.
[[nodiscard]] unsigned long GetFileAttributes(const std::string& path);
// SetFileAttributesA: read-only, hidden, system, archive (normal clears them).
[[nodiscard]] bool SetFileAttributes(const std::string& path, unsigned long attributes);

// ---- files by handle -------------------------------------------------------

// CreateFileA with the given access, sharing and disposition; attributes
// apply to a file it creates. Invalid on failure. Like the real call it sets
// the last error to ERROR_ALREADY_EXISTS (183) when kCreateAlways or
// kOpenAlways found an existing file, and to 0 otherwise on success.
[[nodiscard]] UniqueFile CreateFile(const std::string& path, unsigned long access,
                                    unsigned long share, unsigned long disposition,
                                    unsigned long attributes = kAttributeNormal);
// ReadFile: bytesRead 0 at the end of the file.
[[nodiscard]] bool ReadFile(NativeHandle file, void* buffer, unsigned long size,
                            unsigned long& bytesRead);
// WriteFile at the current position.
[[nodiscard]] bool WriteFile(NativeHandle file, const void* buffer, unsigned long size,
                             unsigned long& bytesWritten);
// GetFileSizeEx.
[[nodiscard]] bool GetFileSize(NativeHandle file, std::uint64_t& size);
// SetFilePointerEx from the start of the file.
[[nodiscard]] bool SetFilePointer(NativeHandle file, std::uint64_t offset);
// GetFileTime / SetFileTime (all three times; the handle needs write access).
[[nodiscard]] bool GetFileTime(NativeHandle file, FileTimes& times);
[[nodiscard]] bool SetFileTime(NativeHandle file, const FileTimes& times);

// ---- finding files ---------------------------------------------------------

struct FindData {
  unsigned long attributes = 0;
  FileTimes times;
  std::uint64_t size = 0;
  std::string name;  // the name as stored, without its folder
};

// FindFirstFileA: the pattern's last component may hold '*' and '?' (matched
// case-insensitively with the Windows rules, so "*.*" also matches names
// without a dot); "." and ".." are found in every folder but a root. Invalid
// with ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND when
// the folder does not exist.
[[nodiscard]] UniqueFind FindFirstFile(const std::string& pattern, FindData& data);
// FindNextFileA: false with ERROR_NO_MORE_FILES after the last match.
[[nodiscard]] bool FindNextFile(NativeHandle find, FindData& data);

// ---- names, folders, removal -----------------------------------------------

// GetTempFileNameA: name = folder\<prefix, up to 3 characters><hex digits>.TMP.
// With unique 0 a free number is chosen and the file created empty; otherwise
// unique's low 16 bits are used and nothing is created. Returns the number
// used, 0 on failure.
[[nodiscard]] unsigned int GetTempFileName(const std::string& folder, const std::string& prefix,
                                           unsigned int unique, std::string& name);

// CreateDirectoryA.
[[nodiscard]] bool CreateDirectory(const std::string& path);
// CreateDirectoryExA: the new folder takes the template folder's attributes.
// (Wine ignores the template, even a missing one; real Windows does not.)
[[nodiscard]] bool CreateDirectoryEx(const std::string& templateFolder, const std::string& path);
// RemoveDirectoryA: the folder must be empty. A link to a folder is removed
// as a link, never followed.
[[nodiscard]] bool RemoveDirectory(const std::string& path);
// DeleteFileA: refuses folders and read-only files (ERROR_ACCESS_DENIED) and
// files open without delete sharing (ERROR_SHARING_VIOLATION).
[[nodiscard]] bool DeleteFile(const std::string& from);
// MoveFileA (replaceExisting false: an existing target gives
// ERROR_ALREADY_EXISTS) or MoveFileExA with MOVEFILE_REPLACE_EXISTING.
[[nodiscard]] bool MoveFile(const std::string& from, const std::string& to,
                            bool replaceExisting = false);

// GetDiskFreeSpaceExA for a folder on the disk.
struct DiskSpace {
  std::uint64_t freeToCaller = 0;
  std::uint64_t total = 0;
  std::uint64_t totalFree = 0;
};
[[nodiscard]] bool GetDiskFreeSpace(const std::string& folder, DiskSpace& space);

// ---- version resources -----------------------------------------------------

// VS_FIXEDFILEINFO's version numbers.
struct FixedFileInfo {
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOS = 0;
  std::uint32_t fileType = 0;
};

// GetFileVersionInfoSizeA + GetFileVersionInfoA: the file's version resource
// (VS_VERSIONINFO) as a block for the queries below. False with
// ERROR_RESOURCE_TYPE_NOT_FOUND (1813) when the file has none.
[[nodiscard]] bool GetFileVersionInfo(const std::string& path, std::vector<unsigned char>& block);
// VerQueryValueA "\".
[[nodiscard]] bool QueryFixedFileInfo(const std::vector<unsigned char>& block, FixedFileInfo& info);
// VerQueryValueA "\VarFileInfo\Translation": each entry has the language in
// its low 16 bits and the code page in its high 16 bits.
[[nodiscard]] bool QueryTranslations(const std::vector<unsigned char>& block,
                                     std::vector<std::uint32_t>& translations);
// VerQueryValueA for a string entry, e.g. "\StringFileInfo\040904E4\FileVersion";
// text is the entry in the ANSI code page.
[[nodiscard]] bool QueryVersionString(const std::vector<unsigned char>& block,
                                      const std::string& subBlock, std::string& text);

// A string entry ("FileVersion", "SpecialBuild" ...) of the file's first
// translation: "\StringFileInfo\<language><code page>\<entry>" with both as
// four upper-case hexadecimal digits. False when the file has no version
// resource, no translation table or no such entry.
[[nodiscard]] bool GetFileVersionString(const std::string& path, const std::string& entry,
                                        std::string& text);

// ---- ANSI text -------------------------------------------------------------

// IsDBCSLeadByte for the ANSI code page (the sandbox's is single-byte).
[[nodiscard]] bool IsLeadByte(unsigned char c) noexcept;

}  // namespace os
