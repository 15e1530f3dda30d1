// 7-Zip for the sandbox machine: Debian's 7zz, run on the host with the machine's Windows
// paths mapped into the machine folder.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "platform/seven_zip.h"

namespace velkor::platform::sandbox {

class SandboxSevenZip final : public SevenZip {
 public:
  // Where a Windows path of the machine lives on the host (SandboxPlatform::HostPath).
  using HostPathFn = std::function<Result<std::filesystem::path>(std::u16string_view)>;

  explicit SandboxSevenZip(HostPathFn host_path, std::filesystem::path program = "/usr/bin/7zz");

  // The tool runs with only LC_ALL (UTF-8) and TZ (UTC: listing times are the machine's
  // times, and the machine keeps UTC) in its environment. Stopping sends an interrupt,
  // which lets 7zz remove what it was writing, and kills it when it has not ended after
  // three seconds.
  Result<SevenZipOutcome> Run(const SevenZipCommand& command,
                              const SevenZipProgressFn& progress) override;

 private:
  HostPathFn host_path_;
  std::filesystem::path program_;
};

}  // namespace velkor::platform::sandbox
