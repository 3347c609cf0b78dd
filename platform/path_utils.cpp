#include "platform/path_utils.h"

#include <vector>

#include "os/files.h"

namespace platform {

namespace {

// The start of every character of text, stepping over double-byte pairs.
std::vector<size_t> CharStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    starts.push_back(i);
    if (os::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
  return starts;
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

bool EndsInBackslash(const std::string& text) {
  std::vector<size_t> starts = CharStarts(text);
  return !starts.empty() && text[starts.back()] == '\\';
}

// The end of the drive part ("C:" gives 2) and of the folder part, the index
// after the last separator, as _splitpath finds them.
void Split(const std::string& path, size_t& driveEnd, size_t& folderEnd) {
  driveEnd = path.size() >= 2 && path[1] == ':' && !os::IsLeadByte(static_cast<unsigned char>(path[0]))
                 ? 2
                 : 0;
  folderEnd = driveEnd;
  for (size_t start : CharStarts(path)) {
    if (start >= driveEnd && IsSlash(path[start])) folderEnd = start + 1;
  }
}

// The pieces of text between backslashes, empty pieces dropped.
std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> pieces;
  std::string piece;
  for (size_t start : CharStarts(text)) {
    size_t length = os::IsLeadByte(static_cast<unsigned char>(text[start])) ? 2 : 1;
    if (length == 1 && IsSlash(text[start])) {
      if (!piece.empty()) pieces.push_back(piece);
      piece.clear();
    } else {
      piece.append(text, start, length);
    }
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  size_t driveEnd, folderEnd;
  Split(path, driveEnd, folderEnd);
  return path.substr(0, folderEnd);
}

std::string FileNameOf(const std::string& path) {
  size_t driveEnd, folderEnd;
  Split(path, driveEnd, folderEnd);
  return path.substr(folderEnd);
}

std::string JoinPath(const std::string& base, const std::string& tail) {
  if (base.empty()) return tail;
  if (tail.empty()) return base;
  bool baseEnds = EndsInBackslash(base);
  bool tailBegins = tail[0] == '\\';
  if (baseEnds && tailBegins) return base + tail.substr(1);
  if (!baseEnds && !tailBegins) return base + "\\" + tail;
  return base + tail;
}

std::string JoinPath(const std::string& a, const std::string& b, const std::string& c) {
  return JoinPath(JoinPath(a, b), c);
}

std::string ParentFolder(const std::string& folder) {
  size_t driveEnd, folderEnd;
  Split(folder, driveEnd, folderEnd);
  // The last component is whatever follows the last separator, or the last
  // piece of the folder part when the text ends in a separator.
  std::vector<std::string> pieces = Pieces(folder.substr(driveEnd));
  std::string result = folder.substr(0, driveEnd);
  for (size_t i = 0; i + 1 < pieces.size(); ++i) result = JoinPath(result, pieces[i]);
  bool unc = folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\';
  return unc ? "\\\\" + result : result;
}

std::string RelativePathUnder(const std::string& path, const std::string& folder) {
  std::string base = folder;
  if (EndsInBackslash(base)) base.pop_back();
  if (path.find(base) != std::string::npos && base.size() < path.size()) {
    return path.substr(base.size() + 1);
  }
  return path;
}

std::string CutHostPart(const std::string& relative) {
  size_t twin = relative.find("\\\\");
  if (twin == std::string::npos) return relative;
  size_t single = relative.find('\\', twin + 2);
  if (single == std::string::npos) return relative;
  // The text before the character that precedes the double backslash.
  std::string before = twin > 0 ? relative.substr(0, twin - 1) : std::string();
  return before + relative.substr(single + 1);
}

}  // namespace platform
