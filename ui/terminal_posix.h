// The terminal that stands in for the program's windows on Linux: output of
// texts and the progress bar, and prompts answered by typed lines.
//
// On a terminal the progress bar is one line redrawn in place below the
// other output, followed by the counts of the files being copied; elsewhere
// each change is a plain "progress n/m" or "files ..." line. Lines
// read when output is not a terminal are echoed, so a transcript of a
// scripted session reads like the interactive one. Calls may come from the
// main thread and from the worker; each call is whole.
#pragma once

#include <istream>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "ui/button_answers.h"

class CTerminal {
 public:
  // width: the terminal's columns, which the bar's line must not fill.
  CTerminal(std::istream& in, std::ostream& out, bool outIsTerminal, int width = 80);

  // The bar: range 0..maximum (16 bits), then the position.
  void ShowProgress(int position, int maximum);
  // The counts of the files being copied ("files 3/6, ...") and the file
  // under way (may be empty), shown after the bar until the bar next moves.
  void ShowFiles(const std::string& counts, const std::string& file);
  // The task line as a line of its own.
  void ShowTask(const std::string& text);
  // The detail text as it grows: what was added since the last call.
  void ShowDetail(const std::string& wholeText);
  // A block of text under a "-- caption --" line (carriage returns dropped).
  void ShowBlock(const std::string& caption, const std::string& text);
  // A line of text.
  void ShowLine(const std::string& text);
  // Leaves the bar where it is as an ordinary line; the next change of
  // progress draws a new one.
  void KeepBar();

  // Shows the text with its buttons and reads lines until one names a button;
  // the empty line takes buttons[defaultIndex], as Enter takes a window's
  // default button; the first unknown answer lists the accepted ones. At the
  // end of input: Cancel, else No, else the first button.
  int AskButtons(const std::string& caption, const std::string& text,
                 const std::vector<ButtonChoice>& buttons, size_t defaultIndex = 0);
  // Shows prompt and reads one line (without its line end); false at the end
  // of input.
  bool ReadLine(const std::string& prompt, std::string& line);

 private:
  void ClearBar();
  void DrawBar();
  // The bar, the file counts and as much of the file's path as fits.
  [[nodiscard]] std::string BarLine() const;

  std::istream& in_;
  std::ostream& out_;
  bool outIsTerminal_;
  int width_;
  bool hasBar_ = false;  // a bar is shown, at position_ of range_
  int position_ = 0;
  int range_ = 0;
  std::string fileCounts_;
  std::string file_;
  std::string drawn_;  // the line on screen below the other output
  size_t detailShown_ = 0;
  std::recursive_mutex lock_;
};
