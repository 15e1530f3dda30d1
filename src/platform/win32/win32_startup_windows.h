// The splash and the preparing window as real windows.
#pragma once

#include <memory>

#include "platform/startup_windows.h"

namespace velkor::platform::win32 {

// Main thread only: the windows belong to the thread that creates them.
std::unique_ptr<StartupWindows> CreateWin32StartupWindows();

}  // namespace velkor::platform::win32
