// The win32 backend: the real Windows API behind the platform interfaces.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace velkor::platform::win32 {

std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace velkor::platform::win32
