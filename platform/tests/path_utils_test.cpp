#include "platform/path_utils.h"

#include <gtest/gtest.h>

namespace {

using platform::CutHostPart;
using platform::DirectoryOf;
using platform::FileNameOf;
using platform::JoinPath;
using platform::ParentFolder;
using platform::RelativePathUnder;

struct Case {
  const char* a;
  const char* b;
  const char* expected;
};

TEST(PathUtils, DirectoryAndFileName) {
  const Case cases[] = {
      // path, directory, file name
      {"C:\\a\\b.txt", "C:\\a\\", "b.txt"},
      {"b.txt", "", "b.txt"},
      {"bin\\*.dll", "bin\\", "*.dll"},
      {"*.dll", "", "*.dll"},
      {"C:\\a\\", "C:\\a\\", ""},
      {"C:b.txt", "C:", "b.txt"},
      {"\\\\host\\share\\f.txt", "\\\\host\\share\\", "f.txt"},
      {"C:/a/b.txt", "C:/a/", "b.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.b, DirectoryOf(c.a)) << c.a;
    EXPECT_EQ(c.expected, FileNameOf(c.a)) << c.a;
  }
}

TEST(PathUtils, JoinPathHasOneBackslashAtTheSeam) {
  const Case cases[] = {
      {"C:\\a", "b", "C:\\a\\b"},
      {"C:\\a\\", "\\b", "C:\\a\\b"},
      {"C:\\a\\", "b", "C:\\a\\b"},
      {"C:\\a", "\\b", "C:\\a\\b"},
      {"C:\\a", "", "C:\\a"},
      {"C:\\a\\", "", "C:\\a\\"},
      {"", "b", "b"},
      {"", "", ""},
      {"C:", "a", "C:\\a"},
      {"C:\\a", "\\", "C:\\a\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, JoinPath(c.a, c.b)) << c.a << " + " << c.b;
  EXPECT_EQ("C:\\p\\G1\\bin", JoinPath("C:\\p\\", "G1", "bin"));
  EXPECT_EQ("C:\\p\\G1\\", JoinPath("C:\\p", "G1", "\\"));
}

TEST(PathUtils, ParentFolder) {
  const Case cases[] = {
      {"C:\\a\\b\\", "C:\\a", nullptr},
      {"C:\\a\\b", "C:\\a", nullptr},  // the last component, with or without a backslash
      {"C:\\a\\", "C:", nullptr},
      {"C:\\a", "C:", nullptr},
      {"C:\\", "C:", nullptr},
      {"C:\\a\\\\b\\", "C:\\a", nullptr},
      {"\\\\host\\share\\a\\", "\\\\host\\share", nullptr},
      {"\\\\host\\share\\", "\\\\host", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(c.b, ParentFolder(c.a)) << c.a;
}

TEST(PathUtils, RelativePathUnder) {
  const Case cases[] = {
      // path, folder, result
      {"C:\\p\\G1\\bin\\", "C:\\p\\G1", "bin\\"},
      {"C:\\p\\G1\\bin\\", "C:\\p\\G1\\", "bin\\"},
      {"C:\\p\\G1\\", "C:\\p\\G1\\", ""},
      {"C:\\p\\G1\\", "C:\\p\\G1", ""},
      {"C:\\p\\G1", "C:\\p\\G1", "C:\\p\\G1"},
      {"C:\\p\\G1\\a.dll", "C:\\p\\G1", "a.dll"},
      {"D:\\other\\x", "C:\\p\\G1", "D:\\other\\x"},
      {"C:\\p\\G1\\\\host\\share\\d\\", "C:\\p\\G1", "\\host\\share\\d\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, RelativePathUnder(c.a, c.b)) << c.a << " under " << c.b;
}

TEST(PathUtils, CutHostPart) {
  const Case cases[] = {
      {"\\\\host\\share\\dir\\", "share\\dir\\", nullptr},
      {"bin\\", "bin\\", nullptr},
      {"", "", nullptr},
      {"\\\\host", "\\\\host", nullptr},
      {"x\\\\host\\share\\", "share\\", nullptr},
      {"ab\\\\host\\share\\", "ashare\\", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(c.b, CutHostPart(c.a)) << c.a;
}

}  // namespace
