// The Windows program's entry. The types of the entry's signature are declared here
// rather than taken from <windows.h>, which only the win32 backend includes.
#include "app/engine.h"
#include "app/library_extractor.h"
#include "platform/win32/seven_zip_runner.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_startup_windows.h"

struct HINSTANCE__;

extern "C" int __stdcall wWinMain(HINSTANCE__* /*instance*/, HINSTANCE__* /*previous*/,
                                  wchar_t* /*command_line*/, int /*show*/) {
  using namespace velkor;
  const std::unique_ptr<platform::Platform> machine = platform::win32::CreateWin32Platform();
  const std::unique_ptr<platform::StartupWindows> windows =
      platform::win32::CreateWin32StartupWindows();
  platform::win32::Win32SevenZip seven_zip(platform::win32::SevenZipBesideProgram());
  app::LibraryExtractor archives(seven_zip, *machine);
  const startup::EngineExit exit = app::RunEngineProcessOn(*machine, *windows, archives);
  // An immediate end skips the normal exit clean-up, as a second instance must.
  if (exit.immediate) machine->process().Exit(exit.exit_code);
  return static_cast<int>(exit.exit_code);
}
