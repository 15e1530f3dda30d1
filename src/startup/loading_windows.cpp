#include "startup/loading_windows.h"

#include <algorithm>
#include <optional>

#include "startup/builtin_logo.h"

namespace velkor::startup {
namespace {

// The user's start menu colour, else the accent colour, as the blur's tint.
std::optional<uint32_t> AccentTint(platform::Registry& registry) {
  constexpr std::u16string_view kAccentKey =
      u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Accent";
  for (const std::u16string_view name : {u"StartColorMenu", u"AccentColorMenu"}) {
    auto value = registry.ReadValue(platform::RegistryRoot::kCurrentUser, kAccentKey, name,
                                    platform::RegistryView::kDefault);
    if (value && value->type == platform::RegistryType::kDword) {
      return value->AsDword() & 0xAAFFFFFFu;
    }
  }
  return std::nullopt;
}

}  // namespace

platform::PreparingWindowDesign PreparingDesign(const platform::OsVersion& version,
                                                const MessageTable& messages,
                                                const std::u16string& logo_path) {
  platform::PreparingWindowDesign design;
  design.logo_design = version.AtLeast(5, 1);
  if (design.logo_design) design.logo_path = logo_path;
  const bool windows10 = version.AtLeast(10, 0);
  design.caption = windows10 ? std::u16string() : messages.Text(message::kWizardCaption);
  design.text = messages.Text(message::kPreparingText);
  design.alpha = version.AtLeast(6, 2) && !windows10 ? 224 : 255;
  design.glass_sheet = true;
  design.blur_behind = windows10;
  return design;
}

platform::PreparingWindowDesign PreparingDesign(platform::Platform& platform,
                                                const MessageTable& messages,
                                                const std::u16string& logo_path) {
  platform::PreparingWindowDesign design =
      PreparingDesign(platform.system().Version(), messages, logo_path);
  if (design.blur_behind) {
    if (const auto tint = AccentTint(platform.registry())) {
      design.accent_flags = 2;
      design.accent_colour = *tint;
    }
  }
  return design;
}

Point CentredOnScreen(const platform::WindowBounds& window, const platform::ScreenInfo& screen) {
  return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

Point BelowSplash(const platform::WindowBounds& splash, const platform::WindowBounds& window,
                  const platform::ScreenInfo& screen) {
  const int32_t left = splash.left + splash.width / 2 + 50;
  const int32_t top = splash.top + splash.height + 25;
  return {std::min(left, screen.width - window.width - 25),
          std::min(top, screen.height - window.height - 45)};
}

void LoadingWindows::Open(const StartupValues& values) {
  const platform::OsVersion version = platform_.system().Version();
  std::u16string logo_path;
  if (version.AtLeast(5, 1)) {
    logo_path = values.support_folder + std::u16string(kLogoFileName);
    (void)platform_.files().WriteFile(logo_path, BuiltInLogoPng());
  }
  splash_ = windows_.CreateSplash();
  preparing_ = windows_.CreatePreparingWindow(PreparingDesign(platform_, messages_, logo_path));

  const platform::ScreenInfo screen = platform_.system().Screen();
  const std::u16string picture = values.engine_folder + std::u16string(kSplashPictureName);
  // A picture that cannot be read counts as no picture: the splash stays hidden.
  const bool with_splash =
      splash_ != nullptr && platform_.files().FileExists(picture) && splash_->LoadPicture(picture);
  if (with_splash) {
    const Point at = CentredOnScreen(splash_->Bounds(), screen);
    splash_->MoveTo(at.left, at.top);
    splash_->Show();
    splash_->Repaint();
  }
  if (preparing_ == nullptr) return;
  const platform::WindowBounds bounds = preparing_->Bounds();
  const Point at = with_splash ? BelowSplash(splash_->Bounds(), bounds, screen)
                               : CentredOnScreen(bounds, screen);
  preparing_->MoveTo(at.left, at.top);
  preparing_->Show();
  preparing_->Repaint();
}

platform::WindowHandle LoadingWindows::Owner() const {
  return preparing_ != nullptr ? preparing_->Handle() : 0;
}

void LoadingWindows::ReloadLogo(const std::u16string& support_folder) {
  if (preparing_ == nullptr || !preparing_->ShowsLogo()) return;
  preparing_->ReloadLogo(support_folder + std::u16string(kLogoFileName));
  preparing_->Repaint();
}

void LoadingWindows::StartDialogProgress(int32_t count) {
  if (preparing_ == nullptr) return;
  progress_ = 1;
  preparing_->SetProgressRange(0, count);
  preparing_->SetProgressPosition(progress_);
  preparing_->Repaint();
}

void LoadingWindows::AdvanceDialogProgress() {
  if (preparing_ == nullptr) return;
  preparing_->SetProgressPosition(++progress_);
  preparing_->Repaint();
  if (splash_ != nullptr && splash_->Visible()) splash_->Repaint();
}

void LoadingWindows::Close() {
  if (preparing_ != nullptr) preparing_->Hide();
  if (splash_ != nullptr && splash_->Visible()) splash_->Hide();
  preparing_.reset();
  splash_.reset();
}

}  // namespace velkor::startup
