// The machine the archive tests run on: the sandbox with Debian's 7zz natively, the real
// Windows API with 7za.exe beside the test program under Wine. Each test gets a fresh
// empty folder that is removed afterwards.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/seven_zip.h"

namespace velkor::testing {

struct ArchiveTestBackend {
  std::unique_ptr<platform::Platform> platform;
  // Null when the backend's 7-Zip is not installed; `missing_tool` then says why.
  std::unique_ptr<platform::SevenZip> tool;
  std::string missing_tool;
  // An empty folder (Windows path with a trailing backslash).
  std::u16string scratch_folder;
  const char* name = "";
};

ArchiveTestBackend MakeArchiveTestBackend();
void DestroyArchiveTestBackend(ArchiveTestBackend& backend);

}  // namespace velkor::testing
