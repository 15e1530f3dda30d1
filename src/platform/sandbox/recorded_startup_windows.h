// The sandbox's splash and preparing window: nothing is drawn; every change is recorded
// as an event that tests and the simulator read. Outer sizes follow Windows 10 at 96 DPI
// (a single-border window with a caption adds 16 x 39 pixels to its client area).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/startup_windows.h"

namespace velkor::platform::sandbox {

struct WindowEvent {
  enum class Kind {
    kCreated,        // a, b: width, height
    kPictureLoaded,  // text: the picture file; a, b: width, height
    kLogoLoaded,     // text: the PNG file
    kShown,
    kMoved,             // a, b: left, top
    kProgressRange,     // a, b: minimum, maximum
    kProgressPosition,  // a: position
    kHidden,
    kDestroyed,
  };

  std::u16string window;  // u"splash" or u"preparing"
  Kind kind = Kind::kCreated;
  int32_t a = 0;
  int32_t b = 0;
  std::u16string text;

  bool operator==(const WindowEvent&) const = default;
};

inline constexpr int32_t kFrameWidth = 16;
inline constexpr int32_t kFrameHeight = 39;

class RecordedStartupWindows : public StartupWindows {
 public:
  // Pictures are read through `files` (only their headers count).
  explicit RecordedStartupWindows(FileSystem& files);
  ~RecordedStartupWindows() override;

  std::unique_ptr<SplashWindow> CreateSplash() override;
  std::unique_ptr<PreparingWindow> CreatePreparingWindow(
      const PreparingWindowDesign& design) override;

  const std::vector<WindowEvent>& events() const { return *events_; }
  // The design the last preparing window was created with.
  const PreparingWindowDesign& last_design() const { return last_design_; }

 private:
  FileSystem& files_;
  // Shared with the windows, so a window may outlive the factory.
  std::shared_ptr<std::vector<WindowEvent>> events_;
  PreparingWindowDesign last_design_;
};

// The width and height of a Windows bitmap file (BITMAPINFOHEADER or BITMAPCOREHEADER);
// nullopt for anything else.
struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};
std::optional<PictureSize> BitmapSize(std::string_view bytes);

}  // namespace velkor::platform::sandbox
