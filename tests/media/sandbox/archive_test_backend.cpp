// Each test gets its own machine in a fresh host folder, removed afterwards.
#include "media/archive_test_backend.h"

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sandbox/sandbox_platform.h"
#include "platform/sandbox/seven_zip_runner.h"

namespace velkor::testing {

namespace {
constexpr char kProgram[] = "/usr/bin/7zz";
}

ArchiveTestBackend MakeArchiveTestBackend() {
  ArchiveTestBackend backend;
  backend.name = "sandbox";
  std::string folder = (std::filesystem::temp_directory_path() / "velkor-archive-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return backend;

  platform::sandbox::SandboxOptions options;
  options.machine_folder = folder;
  auto opened = platform::sandbox::OpenSandbox(options);
  if (!opened.ok()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return backend;
  }
  platform::sandbox::SandboxPlatform* machine = opened->get();
  backend.platform = std::move(*opened);
  backend.scratch_folder = u"C:\\scratch\\";
  backend.platform->files().CreateFolder(backend.scratch_folder);

  if (std::filesystem::exists(kProgram)) {
    backend.tool = std::make_unique<platform::sandbox::SandboxSevenZip>(
        [machine](std::u16string_view path) { return machine->HostPath(path); }, kProgram);
  } else {
    backend.missing_tool = "7zz is not installed (Debian package 7zip)";
  }
  return backend;
}

void DestroyArchiveTestBackend(ArchiveTestBackend& backend) {
  if (!backend.platform) return;
  auto* machine = static_cast<platform::sandbox::SandboxPlatform*>(backend.platform.get());
  const std::filesystem::path folder = machine->machine_folder();
  backend.tool.reset();
  backend.platform.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace velkor::testing
