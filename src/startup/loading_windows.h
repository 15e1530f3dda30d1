// The splash and the preparing window while the setup loads: where they go, what the
// preparing window shows on this Windows version, and its progress over the dialogs.
// They exist from Open to Close; without them (silent run, "/update") every call does
// nothing. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/startup_windows.h"
#include "startup/message_table.h"
#include "startup/startup_values.h"

namespace velkor::startup {

inline constexpr std::u16string_view kSplashPictureName = u"setup.bmp";
inline constexpr std::u16string_view kLogoFileName = u"velkor.png";

// The preparing window's look on a Windows version. On XP and later its logo image shows
// `logo_path`; the caption is the wizard caption before Windows 10 and empty from then on.
platform::PreparingWindowDesign PreparingDesign(const platform::OsVersion& version,
                                                const MessageTable& messages,
                                                const std::u16string& logo_path);
// The same for the platform's Windows version, with the blur's tint from the user's
// accent colour on Windows 10 and later.
platform::PreparingWindowDesign PreparingDesign(platform::Platform& platform,
                                                const MessageTable& messages,
                                                const std::u16string& logo_path);

// Where the preparing window goes below a splash: right of the splash's middle and
// under it, kept inside the screen.
struct Point {
  int32_t left = 0;
  int32_t top = 0;
  bool operator==(const Point&) const = default;
};
Point CentredOnScreen(const platform::WindowBounds& window, const platform::ScreenInfo& screen);
Point BelowSplash(const platform::WindowBounds& splash, const platform::WindowBounds& window,
                  const platform::ScreenInfo& screen);

class LoadingWindows {
 public:
  LoadingWindows(platform::Platform& platform, platform::StartupWindows& windows,
                 const MessageTable& messages)
      : platform_(platform), windows_(windows), messages_(messages) {}
  ~LoadingWindows() { Close(); }

  // Creates both windows; shows the splash with "setup.bmp" of the engine folder when it
  // can be read, then the preparing window below it, or centred without a splash. On XP
  // and later the built-in logo is written to "velkor.png" in the support folder first.
  void Open(const StartupValues& values);

  bool preparing_window_exists() const { return preparing_ != nullptr; }
  // The owner of the start-up message boxes: the preparing window, or none.
  platform::WindowHandle Owner() const;

  // After the resource archive is extracted: its own logo replaces the built-in one.
  void ReloadLogo(const std::u16string& support_folder);
  // Range 0 .. count, position 1.
  void StartDialogProgress(int32_t count);
  void AdvanceDialogProgress();
  // Hides and frees both windows.
  void Close();

 private:
  platform::Platform& platform_;
  platform::StartupWindows& windows_;
  const MessageTable& messages_;
  std::unique_ptr<platform::SplashWindow> splash_;
  std::unique_ptr<platform::PreparingWindow> preparing_;
  int32_t progress_ = 0;
};

}  // namespace velkor::startup
