#include "startup/support_folder.h"

#include <cstdint>

#include "core/decimal.h"
#include "core/path_text.h"

namespace velkor::startup {
namespace {

void DeleteFileForced(platform::FileSystem& files, const std::u16string& path) {
  if (files.DeleteFile(path)) return;
  (void)files.SetAttributes(path, platform::attribute::kNormal);
  (void)files.DeleteFile(path);
}

void DeleteContents(platform::FileSystem& files, const std::u16string& folder) {
  auto found = files.FindFiles(folder + u"*");
  if (!found) return;
  for (const platform::FoundFile& entry : *found) {
    const std::u16string path = folder + entry.name;
    if (entry.is_folder()) {
      DeleteContents(files, path + u"\\");
      (void)files.RemoveFolder(path);
    } else {
      DeleteFileForced(files, path);
    }
  }
}

}  // namespace

std::u16string FindSupportFolder(platform::FileSystem& files, std::u16string_view work_folder) {
  const std::u16string base = core::WithTrailingBackslash(work_folder) + u"vex";
  for (uint32_t n = 1;; ++n) {
    const std::u16string candidate = base + core::DecimalText(n);
    if (files.FolderExists(candidate) || files.FileExists(candidate)) continue;
    return candidate + u"\\";
  }
}

void DeleteFolderTree(platform::FileSystem& files, std::u16string_view folder) {
  const std::u16string_view without_backslash = core::WithoutTrailingBackslash(folder);
  // An empty folder text must never turn into the root of the current drive.
  if (without_backslash.empty()) return;
  const std::u16string root = std::u16string(without_backslash) + u"\\";
  for (int pass = 0; pass < 3; ++pass) DeleteContents(files, root);
  (void)files.RemoveFolder(std::u16string(without_backslash));
}

}  // namespace velkor::startup
