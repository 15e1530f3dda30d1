// Where the splash and the preparing window go, and how the preparing window looks on
// each Windows version.
#include "startup/loading_windows.h"

#include <gtest/gtest.h>

namespace velkor::startup {
namespace {

using platform::WindowBounds;

constexpr platform::ScreenInfo kScreen = {1920, 1080, 96};
constexpr WindowBounds kPreparing = {0, 0, 385, 128};

TEST(LoadingWindowsTest, PreparingWindowGoesBelowTheSplashInsideTheScreen) {
  const struct {
    const char* what;
    WindowBounds splash;
    Point expected;
  } cases[] = {
      // Half the splash width plus 50 to the right of its left edge, 25 below it.
      {"small splash", {760, 390, 400, 300}, {1010, 715}},
      {"odd width rounds down", {0, 0, 401, 10}, {250, 35}},
      // Held at screen height - height - 45 and screen width - width - 25.
      {"tall splash", {60, 40, 1800, 1000}, {1010, 907}},
      {"splash at the right edge", {1500, 0, 800, 10}, {1510, 35}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BelowSplash(c.splash, kPreparing, kScreen), c.expected) << c.what;
  }
  EXPECT_EQ(CentredOnScreen(kPreparing, kScreen), (Point{767, 476}));
  EXPECT_EQ(CentredOnScreen({0, 0, 400, 300}, kScreen), (Point{760, 390}));
}

TEST(LoadingWindowsTest, DesignFollowsTheWindowsVersion) {
  const MessageTable messages;
  const struct {
    uint32_t major, minor;
    bool logo;
    bool caption;
    uint8_t alpha;
    bool blur;
  } cases[] = {
      {5, 0, false, true, 255, false},  // Windows 2000: icon and plain label
      {5, 1, true, true, 255, false},   // XP: logo and glowing label
      {6, 1, true, true, 255, false},   // 7
      {6, 2, true, true, 224, false},   // 8
      {6, 3, true, true, 224, false},   // 8.1
      {10, 0, true, false, 255, true},  // 10: no caption, blur behind
  };
  for (const auto& c : cases) {
    platform::OsVersion version;
    version.major = c.major;
    version.minor = c.minor;
    const auto design = PreparingDesign(version, messages, u"C:\\Temp\\vex1\\velkor.png");
    const std::string shown = std::to_string(c.major) + "." + std::to_string(c.minor);
    EXPECT_EQ(design.logo_design, c.logo) << shown;
    EXPECT_EQ(design.logo_path, c.logo ? u"C:\\Temp\\vex1\\velkor.png" : u"") << shown;
    EXPECT_EQ(design.caption, c.caption ? u"Velkor Wizard" : u"") << shown;
    EXPECT_EQ(design.text,
              u"Velkor is preparing the Velkor Wizard which will install this application. "
              u"Please wait.")
        << shown;
    EXPECT_EQ(design.alpha, c.alpha) << shown;
    EXPECT_EQ(design.blur_behind, c.blur) << shown;
  }
}

TEST(LoadingWindowsTest, DesignTextsComeFromTheMessageTable) {
  MessageTable messages;
  messages.SetText(message::kWizardCaption, u"Assistent");
  messages.SetText(message::kPreparingText, u"Bitte warten.");
  platform::OsVersion seven;
  seven.major = 6;
  seven.minor = 1;
  const auto design = PreparingDesign(seven, messages, u"");
  EXPECT_EQ(design.caption, u"Assistent");
  EXPECT_EQ(design.text, u"Bitte warten.");
}

}  // namespace
}  // namespace velkor::startup
