#include "os/case_fold.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

TEST(CaseFold, UpperCaseOfCodePage1252) {
  EXPECT_EQ("CAF\xC9 \x8A\x8C\x8E\x9F 1\xF7", os::UpperCaseAnsi("caf\xE9 \x9A\x9C\x9E\xFF 1\xF7"));
  EXPECT_TRUE(os::SameAnsiText("Product\xE9", "PRODUCT\xC9"));
  EXPECT_FALSE(os::SameAnsiText("Product", "Products"));
  EXPECT_FALSE(os::SameAnsiText("\xF7", "\xD7"));  // the division sign is no letter
#ifdef _WIN32
  // The system's own upper-casing, byte by byte, where it runs in code page 1252.
  if (::GetACP() == 1252) {
    for (int c = 1; c < 256; ++c) {
      char system[2] = {static_cast<char>(c), '\0'};
      ::CharUpperBuffA(system, 1);
      EXPECT_EQ(static_cast<unsigned char>(system[0]), os::UpperCaseAnsiChar(static_cast<unsigned char>(c)))
          << "byte " << c;
    }
  }
#endif
}

}  // namespace
