// The fixed profile cases run twice: by profile_probe.exe through the real
// Win32 calls (under Wine) and by profile_differential_posix_test through
// the sandbox backend. Both report one line per step in the same format, so
// the two reports can be compared line by line.
//
// Left out on purpose, because Wine differs from real Windows there and we
// follow real Windows (profile_posix_test.cpp covers them): the empty
// section name, a UTF-8 byte order mark, NUL bytes, and the layout of the
// rest of the file after a write (Wine rewrites the file; Windows changes one
// line). Also left out: values written with leading blanks (Wine drops them
// before writing, we write what the caller gave; both read back the same)
// and quoted default texts (Wine strips their quotes; our callers pass none).
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace profile_probe {

struct Step {
  char op = 0;                     // 'g' get key, 's' get section, 'w' write
  const char* section = nullptr;
  const char* key = nullptr;       // write: nullptr deletes the section
  const char* value = nullptr;     // get: the default; write: nullptr deletes the key
  unsigned long size = 0;          // buffer size for 'g' and 's'
};

struct Case {
  std::string name;
  bool hasFile = true;
  std::string content;
  bool bareName = false;           // named without a folder: the Windows folder
  std::vector<Step> steps;
};

const unsigned long kBig = 4096;

inline Step Get(const char* section, const char* key, const char* fallback = "D",
                unsigned long size = kBig) {
  return Step{'g', section, key, fallback, size};
}
inline Step Section(const char* section, unsigned long size = kBig) {
  return Step{'s', section, nullptr, nullptr, size};
}
inline Step Write(const char* section, const char* key, const char* value) {
  return Step{'w', section, key, value, 0};
}

// A file in UTF-16LE with its byte order mark.
inline std::string Utf16File(const std::u16string& text) {
  std::string bytes = "\xff\xfe";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

inline std::vector<Case> Cases() {
  const char* basics =
      "; leading comment\r\n[Main]\r\nplain=value\r\n  spaced  =   padded value   \r\n"
      "\ttabbed\t=\tt v\t\r\ndq=\"quoted value\"\r\nsq='single'\r\nmixed=\"mixed'\r\n"
      "inner=a \"b\" c\r\nhalf=\"open\r\nbare=\"\"\r\nlone=\"\r\nempty=\r\nnoequals\r\n"
      "; comment=inside\r\n=novalue key\r\ntwo=a=b\r\n\r\n";
  const std::string longValues = "[s]\r\nlong=" + std::string(5000, 'x') + "y\r\nquoted=\"" +
                                 std::string(4200, 'q') + "\"\r\nafter=1\r\n";
  return {
      {"basics", true, basics, false,
       {Get("Main", "plain"), Get("main", "PLAIN"), Get("Main", "spaced"), Get("Main", "tabbed"),
        Get("Main", "dq"), Get("Main", "sq"), Get("Main", "mixed"), Get("Main", "inner"),
        Get("Main", "half"), Get("Main", "bare"), Get("Main", "lone"), Get("Main", "empty"),
        Get("Main", "noequals"), Get("Main", "two"), Section("Main"), Section("MAIN", 40)}},
      {"small buffers", true, "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[empty]\r\n", false,
       {Get("s", "name1", "default", 4), Get("s", "name1", "default", 5), Get("s", "name1", "default", 1),
        Get("s", "nokey", "default", 4), Section("s", 24), Section("s", 35), Section("s", 36),
        Section("s", 37), Section("s", 3), Section("empty"), Section("none")}},
      {"duplicates", true, "[s]\r\nk=first\r\nK=second\r\n[t]\r\nk=t\r\n[S]\r\nk=third\r\nonly=later\r\n", false,
       {Get("s", "k"), Get("s", "only"), Section("s"), Write("s", "only", nullptr), Get("s", "only"),
        Section("S"), Write("s", "k", "new"), Section("s")}},
      {"headers", true, "[ spaced ]\r\nk=1\r\n[a]b]\r\nk=2\r\n[x] tail\r\nk=3\r\n[open\r\nk=4\r\n", false,
       {Get("spaced", "k"), Get("a]b", "k"), Get("x", "k"), Section("x"), Get("open", "k")}},
      {"line ends", true, "[lf]\nk=lf\n[cr]\rk=cr\r[crlf]\r\nk=crlf\r\n[last]\nk=no end", false,
       {Get("lf", "k"), Get("cr", "k"), Get("crlf", "k"), Get("last", "k"), Section("cr")}},
      {"before the first header", true, "k=before\r\n[s]\r\nk=in s\r\n", false,
       {Get("s", "k"), Section("s")}},
      {"missing file", false, "", false,
       {Get("s", "k", "(empty)"), Get("s", "k", "trailing   "), Get("s", "k", ""), Section("s")}},
      {"missing names", true, "[s]\r\nk=v\r\n", false,
       {Get("t", "k", "(empty)"), Get("s", "x", "(empty)"), Get(" s ", " k ")}},
      {"long values", true, longValues, false,
       {Get("s", "long"), Get("s", "quoted"), Get("s", "after"), Section("s"), Section("s", 9000)}},
      {"set existing key", true, "; c\r\n[s]\r\n  k = old  \r\n\r\n; next\r\n[t]\r\nz=1\r\n", false,
       {Write("S", "K", "new value"), Get("s", "k"), Section("s"), Write("s", "k", "\"quoted\""),
        Get("s", "k"), Write("s", "k", ""), Get("s", "k"), Section("s")}},
      {"add keys and sections", true, "[s]\r\na=1\r\n\r\n[t]\r\nz=1\r\n", false,
       {Write("s", "b", "2"), Section("s"), Write("u", "k", "v"), Section("u"), Write("t", "y", "new"),
        Section("t"), Get("u", "k")}},
      {"delete", true, "[s]\r\na=1\r\nb=2\r\n[t]\r\nz=1\r\n[u]\r\nw=1\r\n", false,
       {Write("s", "a", nullptr), Section("s"), Write("s", "a", nullptr), Write("t", nullptr, nullptr),
        Section("t"), Get("t", "z"), Section("u"), Write("none", nullptr, nullptr)}},
      {"create file", false, "", false,
       {Write("App", "key", "string"), Write("App", "key2", ""), Section("App")}},
      {"utf-16", true,
       Utf16File(u"; \u65e5\u672c\r\n[s]\r\nK=v\u00e9\r\neuro=\u20ac \u2122\r\n"
                 u"cjk=\u65e5\u672c\r\n\r\n[t]\r\nz=1\r\n"),
       false,
       {Get("s", "K"), Get("s", "euro"), Get("s", "cjk"), Section("s"), Write("s", "K2", "x\xe9\x80"),
        Write("s", "K", "new"), Write("u", "k", "v"), Section("u"), Write("t", "z", nullptr),
        Get("s", "K2")}},
      {"bare file name", true, "[s]\r\nk=in the windows folder\r\n", true,
       {Get("s", "k"), Write("s", "k2", "v2"), Section("s")}},
  };
}

// One step's outcome. For a write, ret is 1 or 0 and result the file's bytes
// afterwards (empty with fileExists false when there is none).
struct Result {
  std::string step;
  unsigned long ret = 0;
  std::string result;
  bool fileExists = true;
};

// What each platform supplies to run the cases.
struct Calls {
  std::function<unsigned long(const std::string& path, const Step& step, std::string& value)> get;
  std::function<unsigned long(const std::string& path, const Step& step, std::string& raw)> section;
  std::function<bool(const std::string& path, const Step& step)> write;
  std::function<bool(const std::string& path, const std::string& bytes)> writeFile;
  std::function<bool(const std::string& path, std::string& bytes)> readFile;
  std::function<void(const std::string& path)> removeFile;
};

// Bytes as printable text: '\' and anything outside ' '..'~' escaped.
inline std::string Escape(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= ' ' && c <= '~') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

inline std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
    } else if (text[i + 1] == 'x' && i + 3 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += text[++i];
    }
  }
  return out;
}

inline std::string StepText(const Step& step) {
  auto text = [](const char* s) { return s == nullptr ? std::string("(null)") : "[" + Escape(s) + "]"; };
  return std::string(1, step.op) + " " + text(step.section) + " " + text(step.key) + " " +
         text(step.value) + " " + std::to_string(step.size);
}

// The report line of a result: "<step> -> <ret> <file flag><escaped result>".
inline std::string ResultLine(const Result& r) {
  return r.step + " -> " + std::to_string(r.ret) + " " + (r.fileExists ? "+" : "-") + Escape(r.result);
}

// Runs one case: the file is made (or removed), every step runs, the file goes.
inline std::vector<Result> RunCase(const Calls& calls, const Case& c, const std::string& path) {
  calls.removeFile(path);
  if (c.hasFile) calls.writeFile(path, c.content);
  std::vector<Result> results;
  for (const Step& step : c.steps) {
    Result r;
    r.step = StepText(step);
    if (step.op == 'g') {
      r.ret = calls.get(path, step, r.result);
    } else if (step.op == 's') {
      r.ret = calls.section(path, step, r.result);
    } else {
      r.ret = calls.write(path, step) ? 1 : 0;
      r.fileExists = calls.readFile(path, r.result);
      if (!r.fileExists) r.result.clear();
    }
    results.push_back(r);
  }
  calls.removeFile(path);
  return results;
}

// The file a case works on: in folder, or the bare name for the Windows folder.
inline std::string CasePath(const Case& c, size_t index, const std::string& folder) {
  if (c.bareName) return "brevane_profile_probe.ini";
  return folder + "\\case" + std::to_string(index + 1) + ".ini";
}

}  // namespace profile_probe
