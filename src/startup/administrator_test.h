// The two machine facts that decide per-machine or per-user defaults: the Windows family
// and the administrator test that ALLUSERS, the cache root and the target folder use.
#pragma once

#include "platform/system_info.h"

namespace velkor::startup {

// Windows 95, 98 or Me.
bool IsWindows9x(platform::SystemInfo& system);

// On Windows NT, a member of the Administrators group (on Vista and later also
// elevated); never on Windows 9x, which has no accounts of that kind.
bool AdministratorTest(platform::SystemInfo& system);

}  // namespace velkor::startup
