// The shared platform suite on the real Windows API: each test gets a fresh folder under
// the user's temporary folder and a fresh key under HKCU\Software\VelkorTest, both named
// by a random GUID so that runs side by side never meet.
#include "platform/test_backend.h"

#include "core/guid.h"
#include "platform/win32/win32_platform.h"

namespace velkor::testing {
namespace {

using platform::FileSystem;
using platform::RegistryRoot;
using platform::RegistryView;

constexpr char16_t kKeyParent[] = u"Software\\VelkorTest";

// Empties and removes a folder; read-only entries are made writable first.
void RemoveTree(FileSystem& files, const std::u16string& folder) {
  auto found = files.FindFiles(folder + u"*");
  if (found) {
    for (const auto& entry : *found) {
      const std::u16string path = folder + entry.name;
      if (entry.attributes & platform::attribute::kReadOnly) {
        files.SetAttributes(path, platform::attribute::kNormal);
      }
      if (entry.is_folder()) {
        RemoveTree(files, path + u"\\");
      } else {
        files.DeleteFile(path);
      }
    }
  }
  files.RemoveFolder(folder);
}

}  // namespace

TestBackend MakeTestBackend() {
  TestBackend backend;
  backend.name = "win32";
  backend.platform = platform::win32::CreateWin32Platform();
  auto& system = backend.platform->system();
  const std::u16string guid = core::GuidText(core::GuidFromRandomBytes(system.RandomBytes()));

  FileSystem& files = backend.platform->files();
  backend.scratch_folder = files.TempFolder() + u"velkor-test-" + guid.substr(1, 36) + u"\\";
  files.CreateFolder(backend.scratch_folder);

  backend.scratch_key = std::u16string(kKeyParent) + u"\\" + guid;
  backend.platform->registry().CreateKey(RegistryRoot::kCurrentUser, backend.scratch_key,
                                         RegistryView::kDefault);
  return backend;
}

void DestroyTestBackend(TestBackend& backend) {
  if (!backend.platform) return;
  if (!backend.scratch_folder.empty()) {
    RemoveTree(backend.platform->files(), backend.scratch_folder);
  }
  auto& registry = backend.platform->registry();
  if (!backend.scratch_key.empty()) {
    registry.DeleteKey(RegistryRoot::kCurrentUser, backend.scratch_key, RegistryView::kDefault);
  }
  // The parent goes with the last run that used it.
  auto left =
      registry.EnumerateKeys(RegistryRoot::kCurrentUser, kKeyParent, RegistryView::kDefault);
  if (left && left->empty()) {
    registry.DeleteKey(RegistryRoot::kCurrentUser, kKeyParent, RegistryView::kDefault);
  }
  backend.platform.reset();
}

}  // namespace velkor::testing
