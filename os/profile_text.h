// The text of one INI file, read and edited the way the Win32 profile API
// reads and edits it. Used by the POSIX profile backend; kept free of any
// file access so its rules can be tested on their own.
//
// Reading: a line is ended by CR LF, LF or a lone CR. Blanks (space, tab,
// CR, LF, VT, FF and ^Z) around a line, a key and a value are dropped. A line
// that starts with '[' and holds a ']' is a section header; the name is what
// stands between '[' and the last ']', trimmed. A line starting with ';' is a
// comment. Any other line is an entry; one holding '=' is a key ("=value"
// is a key with an empty name). Names match case-insensitively (ANSI code
// page 1252 letters included). The first section of a name and, within it,
// the first key of a name win. Lines before the first header belong to no
// section: real Windows cannot address them (Wine reads them for the section
// name ""; "" addresses a "[]" section here, as on Windows). A UTF-8 byte
// order mark is not special (real Windows reads it as part of the first line;
// Wine skips it). NUL bytes are ordinary bytes of a line.
// A UTF-16 file is parsed through its ANSI view (profile_encoding_posix.h).
//
// Editing changes only the line it touches and keeps every other byte; new
// lines take the file's own line end (the first one in the file; CR LF for a
// file that has none).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace os {

class ProfileText {
 public:
  explicit ProfileText(std::string text);

  const std::string& Text() const { return text_; }

  // The key's value, trimmed, quotes kept; false when the section or the
  // key is missing.
  bool FindValue(const std::string& section, const std::string& key, std::string& value) const;

  // The section's entries as GetPrivateProfileSectionA gives them: key=value
  // with blanks dropped around both, lines without '=' as they stand (trimmed);
  // comments and blank lines left out. False when there is no such section.
  bool SectionEntries(const std::string& section, std::vector<std::string>& entries) const;

  // Sets a key: the key's line becomes "key=value" (the file's spelling of the
  // key kept), or a new line is added after the section's last key, or the
  // section is added at the end. False when nothing changed.
  bool SetValue(const std::string& section, const std::string& key, const std::string& value);

  // Removes the key's line, from the first section of that name that holds
  // the key; false when there was none.
  bool DeleteKey(const std::string& section, const std::string& key);

  // Removes the section's header and every line up to the next header; false
  // when there was no such section.
  bool DeleteSection(const std::string& section);

 private:
  enum class Kind { kBlank, kComment, kHeader, kEntry };
  struct Line {
    size_t begin = 0;  // first byte of the line
    size_t end = 0;    // end of the content, before the line end
    size_t next = 0;   // start of the next line
    Kind kind = Kind::kBlank;
    std::string name;  // section name of a header, key name of an entry
    bool hasEquals = false;
  };

  // Where each section ends and where its keys are, so a lookup does not
  // walk the file.
  struct SectionIndex {
    size_t end = 0;                                // one past its last line
    std::unordered_map<std::string, size_t> keys;  // folded key -> first line
  };

  void Parse();
  void BuildIndex();
  Line ParseLine(size_t begin, size_t end, size_t next) const;
  // Index of the first header named section, or lines_.size().
  size_t FindSection(const std::string& section, size_t from = 0) const;
  // One past the section's last line (the next header or the end).
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, const std::string& key) const;
  std::string LineEnd() const;
  void Replace(size_t begin, size_t end, const std::string& with);

  std::string text_;
  std::vector<Line> lines_;
  std::unordered_map<std::string, size_t> firstHeader_;  // folded name -> line
  std::unordered_map<size_t, SectionIndex> sections_;    // header line -> index
};

// Blanks as the profile API drops them around names and values.
bool IsProfileBlank(char c);
std::string TrimProfileBlanks(const std::string& text);
// Case-insensitive comparison of section and key names (code page 1252).
bool SameProfileName(const std::string& a, const std::string& b);

}  // namespace os
