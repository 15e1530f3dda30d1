// The real splash and preparing window: sizes, placement and the calls the start-up
// sequence makes, on whatever display the system has (none under Wine's null driver).
#include "platform/win32/win32_startup_windows.h"

#include <gtest/gtest.h>

#include "platform/test_backend.h"
#include "startup/builtin_logo.h"
#include "startup/test_pictures.h"

namespace velkor::platform {
namespace {

class Win32StartupWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = velkor::testing::MakeTestBackend();
    ASSERT_NE(backend_.platform, nullptr);
    windows_ = win32::CreateWin32StartupWindows();
  }
  void TearDown() override { velkor::testing::DestroyTestBackend(backend_); }

  std::u16string Put(std::u16string_view name, std::string_view bytes) {
    const std::u16string path = backend_.scratch_folder + std::u16string(name);
    EXPECT_TRUE(backend_.platform->files().WriteFile(path, bytes));
    return path;
  }

  velkor::testing::TestBackend backend_;
  std::unique_ptr<StartupWindows> windows_;
};

TEST_F(Win32StartupWindowsTest, SplashTakesThePictureSizeAndGoesWhereItIsPut) {
  auto splash = windows_->CreateSplash();
  ASSERT_NE(splash, nullptr);
  EXPECT_FALSE(splash->Visible());
  EXPECT_FALSE(splash->LoadPicture(Put(u"not.bmp", "not a bitmap")));
  ASSERT_TRUE(splash->LoadPicture(Put(u"setup.bmp", startup::testing::Bitmap(123, 45))));
  splash->MoveTo(200, 100);
  EXPECT_EQ(splash->Bounds(), (WindowBounds{200, 100, 123, 45}));
  splash->Show();
  splash->Repaint();
  EXPECT_TRUE(splash->Visible());
  splash->Hide();
  EXPECT_FALSE(splash->Visible());
}

TEST_F(Win32StartupWindowsTest, PreparingWindowFramesItsClientAreaAndTakesEveryCall) {
  for (const bool logo_design : {true, false}) {
    SCOPED_TRACE(logo_design ? "logo" : "icon");
    PreparingWindowDesign design;
    design.logo_design = logo_design;
    design.logo_path = Put(u"velkor.png", startup::BuiltInLogoPng());
    design.caption = u"Velkor Wizard";
    design.text = u"Please wait.";
    design.alpha = 224;
    auto window = windows_->CreatePreparingWindow(design);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window->Handle(), 0u);
    EXPECT_EQ(window->ShowsLogo(), logo_design);
    window->MoveTo(30, 40);
    const WindowBounds bounds = window->Bounds();
    EXPECT_EQ(bounds.left, 30);
    EXPECT_EQ(bounds.top, 40);
    // A caption and a border around the 369 x 89 client area.
    EXPECT_GT(bounds.width, preparing_window::kClientWidth);
    EXPECT_GT(bounds.height, preparing_window::kClientHeight);
    window->Show();
    window->SetProgressRange(0, 3);
    window->SetProgressPosition(2);
    window->ReloadLogo(Put(u"other.png", startup::BuiltInLogoPng()));
    window->ReloadLogo(Put(u"broken.png", "not a picture"));
    window->Repaint();
    window->Hide();
  }
}

}  // namespace
}  // namespace velkor::platform
