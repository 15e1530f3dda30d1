// The parts of the win32 backend, each behind one platform interface. The platform
// object owns one of each.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace velkor::platform::win32 {

std::unique_ptr<FileSystem> CreateWin32FileSystem();
std::unique_ptr<Registry> CreateWin32Registry();
std::unique_ptr<SystemInfo> CreateWin32SystemInfo();
std::unique_ptr<Environment> CreateWin32Environment();
std::unique_ptr<Process> CreateWin32Process();
std::unique_ptr<UserInterface> CreateWin32UserInterface();

}  // namespace velkor::platform::win32
