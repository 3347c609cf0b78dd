#include "sections/replace_text_section.h"

#include <cstdio>
#include <algorithm>
#include <limits>

#include "os/errors.h"
#include "os/files.h"
#include "platform/file_replace.h"

namespace {

constexpr unsigned long kChunk = 1ul << 20;

// The whole file as bytes: 0, or the Win32 error code.
unsigned long ReadWholeFile(const std::string& path, std::string& bytes) {
  os::UniqueFile file =
      os::CreateFile(path, os::kGenericRead, os::kShareRead | os::kShareWrite, os::kOpenExisting);
  if (!file) return os::LastError();
  std::uint64_t size = 0;
  if (!os::GetFileSize(file.get(), size)) return os::LastError();
  if (size >= std::numeric_limits<size_t>::max() / 2) return os::kErrorNotEnoughMemory;
  bytes.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < bytes.size()) {
    unsigned long want = static_cast<unsigned long>(std::min<size_t>(kChunk, bytes.size() - done));
    unsigned long got = 0;
    if (!os::ReadFile(file.get(), &bytes[done], want, got)) return os::LastError();
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return 0;
}

// Writes text under the replacement name beside path: 0, or the Win32 error.
unsigned long WriteReplacement(const std::string& replacement, const std::string& text) {
  os::UniqueFile file = os::CreateFile(replacement, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
  if (!file) return os::LastError();
  for (size_t done = 0; done < text.size();) {
    unsigned long want = static_cast<unsigned long>(std::min<size_t>(kChunk, text.size() - done));
    unsigned long put = 0;
    if (!os::WriteFile(file.get(), text.data() + done, want, put)) return os::LastError();
    // A short write means the rest is lost: a failure even if no error was set.
    if (put == 0) return os::LastError() != 0 ? os::LastError() : os::kErrorDiskFull;
    done += put;
  }
  return 0;
}

// Puts text in path as a whole file: written beside it and moved over it, so
// the output is the old file or the new one, never part of one. 0, or the
// Win32 error, with the old output untouched.
unsigned long WriteWholeFile(const std::string& path, const std::string& text) {
  const std::string replacement = platform::ReplacementNameOf(path);
  // What a create over the output refuses (read-only, hidden, system, a
  // folder) is refused before anything is written.
  if (unsigned long refused = platform::ReplaceableError(path)) return refused;
  if (!platform::RemoveStaleReplacement(path)) return os::LastError();
  unsigned long error = WriteReplacement(replacement, text);
  if (error != 0) {
    platform::DiscardReplacement(replacement);
    return error;
  }
  return platform::PutReplacementInPlace(replacement, path) ? 0 : os::LastError();
}

}  // namespace

std::string CHFS_ReplaceTextSection::ItemKey(int item, const char* field) const {
  return CHFS_Section::FormatItemKey("File", item, ".", field);
}

int CHFS_ReplaceTextSection::ReplaceFile(const std::string& source, const std::string& output) {
  std::string text;
  unsigned long error = ReadWholeFile(source, text);
  if (error != 0) return static_cast<int>(error);
  // The template's text ends at its first zero byte.
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  // A script value in quotes is taken literally without its quotes; a file
  // that merely begins and ends with a quote must keep them and still have
  // its symbols replaced, so the check is kept from seeing the last quote.
  bool quoted = text.size() > 2 && text.front() == '"' && text.back() == '"';
  if (quoted) text += '\x01';
  std::string result = engine_->ReplaceSymbols(text);
  if (quoted && !result.empty() && result.back() == '\x01') result.pop_back();
  return static_cast<int>(WriteWholeFile(output, result));
}

ItemMove CHFS_ReplaceTextSection::RunItem(int item, int& result) {
  std::string description = ReadSectionItem(ItemKey(item, "Description"), 1) + "\r\n";
  if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->AddDetailText(description, 0);
  std::string source = ReadSectionItem(ItemKey(item, "Source"), 1);
  if (source == kEmptyItem) return ItemMove::kNext;
  std::string output = ReadSectionItem(ItemKey(item, "Output"), 1);
  if (output == kEmptyItem) return ItemMove::kNext;
  int code = ReplaceFile(source, output);
  if (code != 0) {
    engine_->Trace("Replace symboles in TXT file Failed! ret=%d", code);
    result = EventHandler(ItemKey(item, "Error."), -1);
  } else {
    engine_->Trace("Replace symboles in TXT file Success! ret=%d", code);
    result = EventHandler(ItemKey(item, "Success."), 0);
  }
  return MoveAfter(result, result);
}

int CHFS_ReplaceTextSection::Run(const std::string& sessionName, CHFS_InstallRecord&) {
  engine_->Trace("CHFS_ReplaceTextSection::Run(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  return WalkItems(ReadItemCount("FileCount"),
                   [this](int item, int& result) { return RunItem(item, result); });
}

int CHFS_ReplaceTextSection::Rollback(const std::string& sessionName, CHFS_InstallRecord&) {
  engine_->Trace("CHFS_ReplaceTextSection::Rollback(%s)", sessionName.c_str());
  return 0;
}
