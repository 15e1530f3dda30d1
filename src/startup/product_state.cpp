#include "startup/product_state.h"

#include "core/case_mapping.h"

namespace velkor::startup {

bool NeedsUpgrade(const ProductState& state, std::u16string_view revision_code) {
  if (state.State() != kProductInstalled) return false;
  if (state.installer_package_code &&
      core::EqualIgnoreCase(*state.installer_package_code, revision_code)) {
    return false;
  }
  return state.installer_state == kProductInstalled;
}

}  // namespace velkor::startup
