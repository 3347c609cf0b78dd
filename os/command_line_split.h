// A command line cut into arguments as Windows programs cut theirs (the
// rules of CommandLineToArgvW), for starting a program without a shell.
//
// The first argument, the program, is special: in quotes it runs to the next
// quote, with no escapes; else to the first blank. The others are separated
// by blanks (space, tab) outside quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoting, 2n+1 give n and a
// literal quote; other backslashes are literal. Within a run of quotes every
// third, counting an opening quote before the run, is a literal quote.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace os {

// The arguments of line; ends, when given, gets where each one ends in line.
// A line that starts with a blank has an empty first argument, as on Windows;
// an empty line has none.
std::vector<std::string> SplitCommandLine(const std::string& line,
                                          std::vector<size_t>* ends = nullptr);

}  // namespace os
