// The machine the engine runs on. Subsystems reach every outside service through one
// Platform, handed to them explicitly; the backend (win32 or sandbox) is chosen at
// build time and created by the program's entry.
#pragma once

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/user_interface.h"

namespace velkor::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  virtual FileSystem& files() = 0;
  virtual Registry& registry() = 0;
  virtual SystemInfo& system() = 0;
  virtual Environment& environment() = 0;
  virtual Process& process() = 0;
  virtual UserInterface& ui() = 0;
};

}  // namespace velkor::platform
