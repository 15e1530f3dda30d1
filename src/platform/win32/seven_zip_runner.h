// 7-Zip on Windows: 7za.exe, the stand-alone console build, started by its full path
// without a window and talked to through pipes.
#pragma once

#include <string>

#include "platform/seven_zip.h"

namespace velkor::platform::win32 {

class Win32SevenZip final : public SevenZip {
 public:
  // `program`: the full path of 7za.exe (beside the engine file or in the support
  // folder). It is never looked up on the PATH: a relative path makes every run fail.
  explicit Win32SevenZip(std::u16string program);

  // The tool inherits only its three pipe handles. Stopping terminates it; a stopped add
  // or delete then removes the archive or temporary archive the tool had begun.
  Result<SevenZipOutcome> Run(const SevenZipCommand& command,
                              const SevenZipProgressFn& progress) override;

 private:
  std::u16string program_;
};

// "7za.exe" in the folder of the running program.
std::u16string SevenZipBesideProgram();

}  // namespace velkor::platform::win32
