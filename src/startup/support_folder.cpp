#include "startup/support_folder.h"

#include <cstdint>

#include "core/decimal.h"

namespace velkor::startup {
namespace {

std::u16string WithBackslash(std::u16string_view folder) {
  std::u16string result(folder);
  if (result.empty() || result.back() != u'\\') result.push_back(u'\\');
  return result;
}

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
  const std::u16string base = WithBackslash(work_folder) + u"vex";
  for (uint32_t n = 1;; ++n) {
    const std::u16string candidate = base + core::DecimalText(n);
    if (files.FolderExists(candidate) || files.FileExists(candidate)) continue;
    return candidate + u"\\";
  }
}

void DeleteFolderTree(platform::FileSystem& files, std::u16string_view folder) {
  const std::u16string root = WithBackslash(folder);
  for (int pass = 0; pass < 3; ++pass) DeleteContents(files, root);
  std::u16string without_backslash = root;
  without_backslash.pop_back();
  (void)files.RemoveFolder(without_backslash);
}

}  // namespace velkor::startup
