// Helpers of the sandbox-only tests: a machine in a fresh host folder, removed with
// everything in it. Single-threaded test code only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "platform/sandbox/sandbox_platform.h"

namespace velkor::platform::sandbox::test_support {

// An empty host folder; the machine goes in its "machine" subfolder so that tests can
// also put things beside the machine and prove the sandbox never reaches them.
class HostFolder {
 public:
  HostFolder() {
    std::random_device random;
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory(memory, error)
                                           ? memory
                                           : std::filesystem::temp_directory_path();
    path_ = base / ("velkor-sandbox-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~HostFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path machine() const { return path_ / "machine"; }

 private:
  std::filesystem::path path_;
};

// Opens the machine in `folder`, or fails the test with the error.
inline std::unique_ptr<SandboxPlatform> OpenMachine(const std::filesystem::path& folder,
                                                    SandboxOptions options = {}) {
  options.machine_folder = folder;
  auto opened = OpenSandbox(options);
  EXPECT_TRUE(opened.ok()) << "code " << opened.code();
  return opened.ok() ? std::move(opened).value() : nullptr;
}

}  // namespace velkor::platform::sandbox::test_support
