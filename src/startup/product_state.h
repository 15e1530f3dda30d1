// Whether the product of this setup is installed, and whether that installation needs an
// upgrade: the facts the bootstrap turns into MAINTENANCE and NEEDSUPGRADE.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::startup {

// INSTALLSTATE_DEFAULT: the state of an installed product.
inline constexpr int32_t kProductInstalled = 5;
// INSTALLSTATE_UNKNOWN: the product is not known to Windows Installer.
inline constexpr int32_t kProductUnknown = -1;

struct ProductState {
  // The native engine's logs and cache registration of this revision are present.
  bool native_installed = false;
  // What Windows Installer reports for the product code.
  int32_t installer_state = kProductUnknown;
  // The installed package's "PackageCode", when Windows Installer reports one.
  std::optional<std::u16string> installer_package_code{};

  // Installed natively counts as installed whatever Windows Installer says.
  int32_t State() const { return native_installed ? kProductInstalled : installer_state; }
};

// An installed product needs an upgrade when Windows Installer holds it under another
// package code than this revision (compared without regard to case); a product this
// revision installed, or one Windows Installer does not hold, needs none.
bool NeedsUpgrade(const ProductState& state, std::u16string_view revision_code);

}  // namespace velkor::startup
