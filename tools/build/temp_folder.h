// A private temporary folder, removed with everything in it when it goes out of scope.
#pragma once

#include <filesystem>

namespace velkor::build {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace velkor::build
