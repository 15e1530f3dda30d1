// The real Windows API with 7za.exe beside the test program (scripts/fetch-7za.sh puts
// it there); each test works in a fresh folder below the user's temporary folder.
#include "media/archive_test_backend.h"

#include <filesystem>
#include <system_error>

#include "core/guid.h"
#include "core/text.h"
#include "platform/win32/seven_zip_runner.h"
#include "platform/win32/win32_platform.h"

namespace velkor::testing {

ArchiveTestBackend MakeArchiveTestBackend() {
  ArchiveTestBackend backend;
  backend.name = "win32";
  backend.platform = platform::win32::CreateWin32Platform();
  auto& files = backend.platform->files();
  const std::u16string guid =
      core::GuidText(core::GuidFromRandomBytes(backend.platform->system().RandomBytes()));
  backend.scratch_folder = files.TempFolder() + u"velkor-archive-" + guid.substr(1, 36) + u"\\";
  files.CreateFolder(backend.scratch_folder);

  const std::u16string program = platform::win32::SevenZipBesideProgram();
  if (files.FileExists(program)) {
    backend.tool = std::make_unique<platform::win32::Win32SevenZip>(program);
  } else {
    backend.missing_tool =
        core::Utf16ToUtf8(program) + " is missing (scripts/fetch-7za.sh TEST_FOLDER puts it there)";
  }
  return backend;
}

void DestroyArchiveTestBackend(ArchiveTestBackend& backend) {
  if (!backend.platform || backend.scratch_folder.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(core::ToWide(backend.scratch_folder)), ignored);
  backend.platform.reset();
}

}  // namespace velkor::testing
