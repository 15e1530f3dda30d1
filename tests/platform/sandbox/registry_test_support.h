// Helpers of the sandbox registry tests: a fresh temporary folder per test and
// shorthand for opening a registry file in it. Single-threaded test code only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "platform/sandbox/sandbox_registry.h"

namespace velkor::platform::sandbox::test_support {

// An empty folder under the system's temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("velkor-registry-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Opens the registry file or fails the test with the error.
inline std::unique_ptr<SandboxRegistry> OpenRegistry(const std::filesystem::path& file,
                                                     const RegistryFacts& facts = {}) {
  auto opened = SandboxRegistry::Open(file, facts);
  EXPECT_TRUE(opened.ok()) << "code " << opened.code();
  return opened.ok() ? std::move(opened).value() : nullptr;
}

}  // namespace velkor::platform::sandbox::test_support
