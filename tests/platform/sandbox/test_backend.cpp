// The shared platform suite on the sandbox: each test gets a fresh machine in a host
// temporary folder, removed with everything in it when the test ends.
#include "platform/test_backend.h"

#include <unistd.h>

#include <map>
#include <random>
#include <system_error>

#include "core/guid.h"
#include "platform/sandbox/sandbox_platform.h"

namespace velkor::testing {
namespace {

// The host folder of each backend's machine, by platform, for the clean-up.
std::map<const platform::Platform*, std::filesystem::path>& MachineFolders() {
  static std::map<const platform::Platform*, std::filesystem::path> folders;
  return folders;
}

// Each test builds a whole machine, whose databases flush to disk on creation; a memory
// file system, where the host has one, makes that cheap.
std::filesystem::path HostTempFolder() {
  std::error_code error;
  const std::filesystem::path memory = "/dev/shm";
  if (std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0) {
    return memory;
  }
  return std::filesystem::temp_directory_path();
}

std::filesystem::path FreshHostFolder() {
  std::random_device random;
  std::filesystem::path folder = HostTempFolder() / ("velkor-sandbox-" + std::to_string(random()) +
                                                     "-" + std::to_string(random()));
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace

TestBackend MakeTestBackend() {
  TestBackend backend;
  backend.name = "sandbox";
  const std::filesystem::path host = FreshHostFolder();
  platform::sandbox::SandboxOptions options;
  options.machine_folder = host / "machine";
  options.engine_file = u"C:\\setup\\setup.exe";
  auto opened = platform::sandbox::OpenSandbox(options);
  if (!opened.ok()) {
    std::error_code ignored;
    std::filesystem::remove_all(host, ignored);
    return backend;
  }
  backend.platform = std::move(opened).value();
  MachineFolders()[backend.platform.get()] = host;

  backend.scratch_folder = u"C:\\velkor-test\\";
  backend.platform->files().CreateFolder(backend.scratch_folder);
  const std::u16string guid =
      core::GuidText(core::GuidFromRandomBytes(backend.platform->system().RandomBytes()));
  backend.scratch_key = u"Software\\VelkorTest\\" + guid;
  backend.platform->registry().CreateKey(platform::RegistryRoot::kCurrentUser, backend.scratch_key,
                                         platform::RegistryView::kDefault);
  return backend;
}

void DestroyTestBackend(TestBackend& backend) {
  if (!backend.platform) return;
  const auto found = MachineFolders().find(backend.platform.get());
  backend.platform.reset();
  if (found == MachineFolders().end()) return;
  std::error_code ignored;
  std::filesystem::remove_all(found->second, ignored);
  MachineFolders().erase(found);
}

}  // namespace velkor::testing
