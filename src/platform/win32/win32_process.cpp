// The running process: its file, its command line and its end.
#include "platform/process.h"

#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace velkor::platform::win32 {
namespace {

class Win32Process final : public Process {
 public:
  std::u16string EngineFilePath() override {
    // A path that does not fit comes back truncated with the buffer's full size.
    return ReadGrowingText([](wchar_t* buffer, DWORD size) {
             return GetModuleFileNameW(nullptr, buffer, size);
           })
        .value_or(u"");
  }

  std::u16string CommandLine() override { return FromApi(GetCommandLineW()); }

  std::vector<std::u16string> Arguments() override {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> result;
    if (arguments == nullptr) return result;
    for (int index = 0; index < count; ++index) result.push_back(FromApi(arguments[index]));
    LocalFree(arguments);
    return result;
  }

  [[noreturn]] void Exit(uint32_t exit_code) override { ExitProcess(exit_code); }
};

}  // namespace

std::unique_ptr<Process> CreateWin32Process() {
  return std::make_unique<Win32Process>();
}

}  // namespace velkor::platform::win32
