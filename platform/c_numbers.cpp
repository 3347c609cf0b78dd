#include "platform/c_numbers.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

int CDecimalToInt(const std::string& text) {
  errno = 0;
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
