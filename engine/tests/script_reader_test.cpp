#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

const char kScript[] =
    "[ProductInstall.Main]\r\n"
    "StepCount=0\r\n"
    "Blank=\r\n"
    "Quoted=\"C:\\Program Files\\App\"\r\n"
    "System=%WINDIR%\\system32\r\n"
    "Spaced =   padded value   \r\n";

TEST(ReadItemTest, PresentMissingAndEmptyKeys) {
  EngineFixture f(kScript);
  CHFS_Engine& engine = *f.engine;
  f.reporter.log.clear();

  EXPECT_EQ(engine.ReadItem("Blank", "ProductInstall.Main", 1), "");
  EXPECT_EQ(engine.ReadItem("Quoted", "ProductInstall.Main", 1), "C:\\Program Files\\App");
  EXPECT_EQ(engine.ReadItem("Spaced", "productinstall.main", 1), "padded value");
  EXPECT_EQ(engine.ReadItem("System", "ProductInstall.Main", 1),
            engine.GetSymbol("WINDIR") + "\\system32");
  EXPECT_TRUE(f.reporter.log.empty()) << "present keys write no lines";

  EXPECT_EQ(engine.ReadItem("Missing", "ProductInstall.Main", 0), "(empty)");
  EXPECT_TRUE(f.reporter.log.empty()) << "no warning was asked for";
  EXPECT_EQ(engine.ReadItem("Missing", "ProductInstall.Main", 1), "(empty)");
  EXPECT_TRUE(f.reporter.Logged(
      "*** Warning:  Item 'Missing' not found in Section 'ProductInstall.Main' !"));
  EXPECT_EQ(engine.ReadItem("StepCount", "NoSuchSection", 0), "(empty)");
}

TEST(ReadItemTest, OtherFileIsNamedBeforeItsWarning) {
  EngineFixture f(kScript);
  const std::string other = f.folder + "\\other.ini";
  testing_support::WriteFileBytes(other, "[S]\r\nk=v\r\n");
  f.reporter.log.clear();
  EXPECT_EQ(f.engine->ReadItem("k", "S", 1, other), "v");
  EXPECT_EQ(f.engine->ReadItem("gone", "S", 1, other), "(empty)");
  std::vector<std::string> lines = f.reporter.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Read item from file '" + other + "'!");
  EXPECT_EQ(lines[1], "Read item from file '" + other + "'!");
  EXPECT_EQ(lines[2], "*** Warning:  Item 'gone' not found in Section 'S' !");
  EXPECT_EQ(f.engine->ReadItem("k", "S", 1, f.folder + "\\absent.ini"), "(empty)");
}

TEST(ReadItemTest, LongValueIsCutAt4095) {
  std::string script = "[S]\r\nlong=" + std::string(5000, 'v') + "\r\n";
  EngineFixture f(script);
  EXPECT_EQ(f.engine->ReadItem("long", "S", 0), std::string(4095, 'v'));
}

TEST(ReadItemTest, TraceModeShowsBoxesUntilCancelled) {
  EngineFixture f(kScript);
  f.flags.trace = true;
  f.flags.silent = true;  // silence does not suppress trace boxes
  f.windows.answers = {1, 2};
  CHFS_Engine& engine = *f.engine;
  engine.ReadItem("Blank", "ProductInstall.Main", 0);
  engine.ReadItem("Missing", "ProductInstall.Main", 0);  // no box for a missing key
  engine.ReadItem("StepCount", "ProductInstall.Main", 0);
  engine.ReadItem("Quoted", "ProductInstall.Main", 0);   // after Cancel: none
  ASSERT_EQ(f.windows.boxes.size(), 2u);
  EXPECT_EQ(f.windows.boxes[0].caption, "Brevane Trace Window - [ProductInstall.Main]");
  EXPECT_EQ(f.windows.boxes[0].text, "[ProductInstall.Main]\t\t\t\t\t\r\nBlank=");
  EXPECT_EQ(f.windows.boxes[1].text, "[ProductInstall.Main]\t\t\t\t\t\r\nStepCount=0");
  EXPECT_EQ(f.windows.boxes[0].style, 17);
  EXPECT_FALSE(f.windows.boxes[0].owned);
  EXPECT_FALSE(f.flags.trace);
}

TEST(ReadItemTest, TraceModeNeedsAMainWindow) {
  EngineFixture f(kScript);
  f.flags.trace = true;
  f.windows.hasMainWindow = false;
  f.engine->ReadItem("StepCount", "ProductInstall.Main", 0);
  EXPECT_TRUE(f.windows.boxes.empty());
  EXPECT_TRUE(f.flags.trace);
}

}  // namespace
