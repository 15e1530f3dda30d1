// The two windows shown while a setup loads: the splash (a borderless window showing one
// picture at its own size) and the preparing window (`TSetupInit`: a text, an optional
// logo and a progress bar). The caller decides where they go and what they show; a
// backend only creates, places and draws them. Main thread only; a window is destroyed
// with its object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace velkor::platform {

// Outer bounds of a window in screen pixels.
struct WindowBounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool operator==(const WindowBounds&) const = default;
};

// The preparing window's designed layout, in client pixels.
namespace preparing_window {
inline constexpr int32_t kClientWidth = 369;
inline constexpr int32_t kClientHeight = 89;
inline constexpr WindowBounds kImage = {16, 16, 32, 32};  // logo or icon
inline constexpr WindowBounds kGlowLabel = {50, 10, 309, 45};
inline constexpr WindowBounds kPlainLabel = {56, 16, 297, 33};
inline constexpr WindowBounds kProgressBar = {16, 56, 337, 17};
}  // namespace preparing_window

class SplashWindow {
 public:
  virtual ~SplashWindow() = default;

  // Loads a bitmap file and sizes the window to it; false when the file is not a
  // readable bitmap (the window then keeps its size).
  virtual bool LoadPicture(std::u16string_view bitmap_path) = 0;
  virtual WindowBounds Bounds() = 0;
  virtual void MoveTo(int32_t left, int32_t top) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() = 0;
  // Draws at once, without waiting for the message loop.
  virtual void Repaint() = 0;
};

// What the preparing window looks like; chosen by the caller from the Windows version.
struct PreparingWindowDesign {
  // Windows XP and later: the logo image and the glowing label; before: the icon image
  // and the plain label.
  bool logo_design = true;
  std::u16string logo_path;  // PNG shown by the logo image
  std::u16string caption;
  std::u16string text;
  uint8_t alpha = 255;       // 224 on Windows 8 and 8.1
  bool glass_sheet = true;   // the glass frame covers the whole client area
  bool blur_behind = false;  // Windows 10 and later
  // The blur's tint: flags 2 and the colour when the user has an accent colour, else 0.
  uint32_t accent_flags = 0;
  uint32_t accent_colour = 0;
};

class PreparingWindow {
 public:
  virtual ~PreparingWindow() = default;

  virtual WindowHandle Handle() = 0;
  virtual WindowBounds Bounds() = 0;
  virtual void MoveTo(int32_t left, int32_t top) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Repaint() = 0;
  virtual void SetProgressRange(int32_t minimum, int32_t maximum) = 0;
  virtual void SetProgressPosition(int32_t position) = 0;
  // True when the window shows a logo image (the logo design).
  virtual bool ShowsLogo() = 0;
  // Loads the logo image again from a PNG file; a file that cannot be read leaves the
  // current logo.
  virtual void ReloadLogo(std::u16string_view png_path) = 0;
};

class StartupWindows {
 public:
  virtual ~StartupWindows() = default;

  // Both windows start hidden, the splash empty. nullptr when the window cannot be created.
  virtual std::unique_ptr<SplashWindow> CreateSplash() = 0;
  virtual std::unique_ptr<PreparingWindow> CreatePreparingWindow(
      const PreparingWindowDesign& design) = 0;
};

}  // namespace velkor::platform
