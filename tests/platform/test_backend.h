// The backend the shared platform suite runs against: the sandbox natively, the real
// Windows API under Wine. Each test gets a fresh platform with a scratch folder and a
// scratch registry key that are removed afterwards.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace velkor::testing {

struct TestBackend {
  std::unique_ptr<platform::Platform> platform;
  // An empty folder (Windows path with a trailing backslash) the test may use freely.
  std::u16string scratch_folder;
  // A key under HKEY_CURRENT_USER (default view) the test may use freely; created.
  std::u16string scratch_key;
  // The name of the backend ("sandbox" or "win32").
  const char* name = "";
};

TestBackend MakeTestBackend();
void DestroyTestBackend(TestBackend& backend);

}  // namespace velkor::testing
