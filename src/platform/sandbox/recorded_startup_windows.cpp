#include "platform/sandbox/recorded_startup_windows.h"

#include <cstdint>
#include <cstdlib>

namespace velkor::platform::sandbox {
namespace {

using Events = std::shared_ptr<std::vector<WindowEvent>>;

int32_t ReadInt(std::string_view bytes, size_t offset, int size) {
  uint32_t value = 0;
  for (int k = 0; k < size; ++k) {
    value |= uint32_t(static_cast<unsigned char>(bytes[offset + k])) << (8 * k);
  }
  return static_cast<int32_t>(value);
}

class RecordedSplash : public SplashWindow {
 public:
  RecordedSplash(FileSystem& files, Events events) : files_(files), events_(std::move(events)) {
    Record(WindowEvent::Kind::kCreated, 0, 0);
  }
  ~RecordedSplash() override { Record(WindowEvent::Kind::kDestroyed, 0, 0); }

  bool LoadPicture(std::u16string_view bitmap_path) override {
    auto bytes = files_.ReadFile(bitmap_path);
    if (!bytes) return false;
    const auto size = BitmapSize(*bytes);
    if (!size) return false;
    bounds_.width = size->width;
    bounds_.height = size->height;
    Record(WindowEvent::Kind::kPictureLoaded, size->width, size->height,
           std::u16string(bitmap_path));
    return true;
  }
  WindowBounds Bounds() override { return bounds_; }
  void MoveTo(int32_t left, int32_t top) override {
    bounds_.left = left;
    bounds_.top = top;
    Record(WindowEvent::Kind::kMoved, left, top);
  }
  void Show() override {
    visible_ = true;
    Record(WindowEvent::Kind::kShown, 0, 0);
  }
  void Hide() override {
    visible_ = false;
    Record(WindowEvent::Kind::kHidden, 0, 0);
  }
  bool Visible() override { return visible_; }
  void Repaint() override {}

 private:
  void Record(WindowEvent::Kind kind, int32_t a, int32_t b, std::u16string text = {}) {
    events_->push_back({u"splash", kind, a, b, std::move(text)});
  }

  FileSystem& files_;
  Events events_;
  WindowBounds bounds_;
  bool visible_ = false;
};

class RecordedPreparingWindow : public PreparingWindow {
 public:
  RecordedPreparingWindow(const PreparingWindowDesign& design, Events events)
      : events_(std::move(events)), shows_logo_(design.logo_design) {
    bounds_.width = preparing_window::kClientWidth + kFrameWidth;
    bounds_.height = preparing_window::kClientHeight + kFrameHeight;
    Record(WindowEvent::Kind::kCreated, bounds_.width, bounds_.height);
    if (shows_logo_) Record(WindowEvent::Kind::kLogoLoaded, 0, 0, design.logo_path);
  }
  ~RecordedPreparingWindow() override { Record(WindowEvent::Kind::kDestroyed, 0, 0); }

  // A recorded window has no system handle; the message boxes it owns record 0.
  WindowHandle Handle() override { return 0; }
  WindowBounds Bounds() override { return bounds_; }
  void MoveTo(int32_t left, int32_t top) override {
    bounds_.left = left;
    bounds_.top = top;
    Record(WindowEvent::Kind::kMoved, left, top);
  }
  void Show() override { Record(WindowEvent::Kind::kShown, 0, 0); }
  void Hide() override { Record(WindowEvent::Kind::kHidden, 0, 0); }
  void Repaint() override {}
  void SetProgressRange(int32_t minimum, int32_t maximum) override {
    Record(WindowEvent::Kind::kProgressRange, minimum, maximum);
  }
  void SetProgressPosition(int32_t position) override {
    Record(WindowEvent::Kind::kProgressPosition, position, 0);
  }
  bool ShowsLogo() override { return shows_logo_; }
  void ReloadLogo(std::u16string_view png_path) override {
    Record(WindowEvent::Kind::kLogoLoaded, 0, 0, std::u16string(png_path));
  }

 private:
  void Record(WindowEvent::Kind kind, int32_t a, int32_t b, std::u16string text = {}) {
    events_->push_back({u"preparing", kind, a, b, std::move(text)});
  }

  Events events_;
  WindowBounds bounds_;
  bool shows_logo_;
};

}  // namespace

std::optional<PictureSize> BitmapSize(std::string_view bytes) {
  constexpr size_t kFileHeaderSize = 14;
  if (bytes.size() < kFileHeaderSize + 12 || bytes[0] != 'B' || bytes[1] != 'M') {
    return std::nullopt;
  }
  const int32_t info_size = ReadInt(bytes, kFileHeaderSize, 4);
  if (info_size == 12) {  // BITMAPCOREHEADER: 16-bit sizes
    return PictureSize{ReadInt(bytes, 18, 2), ReadInt(bytes, 20, 2)};
  }
  if (info_size < 40 || bytes.size() < kFileHeaderSize + 40) return std::nullopt;
  const int32_t width = ReadInt(bytes, 18, 4);
  const int32_t height = ReadInt(bytes, 22, 4);  // negative for a top-down bitmap
  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
  return PictureSize{width, std::abs(height)};
}

RecordedStartupWindows::RecordedStartupWindows(FileSystem& files)
    : files_(files), events_(std::make_shared<std::vector<WindowEvent>>()) {}

RecordedStartupWindows::~RecordedStartupWindows() = default;

std::unique_ptr<SplashWindow> RecordedStartupWindows::CreateSplash() {
  return std::make_unique<RecordedSplash>(files_, events_);
}

std::unique_ptr<PreparingWindow> RecordedStartupWindows::CreatePreparingWindow(
    const PreparingWindowDesign& design) {
  last_design_ = design;
  return std::make_unique<RecordedPreparingWindow>(design, events_);
}

}  // namespace velkor::platform::sandbox
