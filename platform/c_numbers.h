// Numbers in the script are read as C's decimal conversion reads them:
// leading blanks, an optional sign, digits up to the first other character,
// 0 when there are none. Out-of-range values are clamped instead of being
// undefined behaviour.
#pragma once

#include <string>

int CDecimalToInt(const std::string& text);
