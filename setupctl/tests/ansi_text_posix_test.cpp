// The sandbox machine's ANSI code page is Windows-1252.
#include <gtest/gtest.h>

#include "setupctl/ansi_text.h"

namespace {

TEST(AnsiText, Windows1252) {
  struct Case {
    std::u16string wide;
    std::string ansi;
  };
  const Case cases[] = {
      {u"plain", "plain"},
      {u"caf\u00e9", "caf\xe9"},
      {u"\u20ac 5", "\x80 5"},
      {u"\u2122\u0178", "\x99\x9f"},
      {u"\u4e2d", "?"},
      {u"\U0001F600", "?"},  // one character, one '?'
      {u"\x81", "\x81"},     // the undefined bytes map to themselves
      {u"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(tessaly::ToAnsi(c.wide), c.ansi) << c.ansi;
}

}  // namespace
