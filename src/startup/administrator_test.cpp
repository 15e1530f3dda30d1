#include "startup/administrator_test.h"

namespace velkor::startup {

bool IsWindows9x(platform::SystemInfo& system) {
  constexpr uint32_t kWindows9xPlatform = 1;  // VER_PLATFORM_WIN32_WINDOWS
  return system.Version().platform_id == kWindows9xPlatform;
}

bool AdministratorTest(platform::SystemInfo& system) {
  return !IsWindows9x(system) && system.IsAdministrator();
}

}  // namespace velkor::startup
