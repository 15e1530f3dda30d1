#include "core/path_text.h"

namespace velkor::core {
namespace {

// Position just after the folder part, 0 when there is none.
size_t FolderPartLength(std::u16string_view path) {
  const size_t last = path.find_last_of(u"\\:");
  return last == std::u16string_view::npos ? 0 : last + 1;
}

}  // namespace

std::u16string WithTrailingBackslash(std::u16string_view folder) {
  std::u16string result(folder);
  if (!result.empty() && result.back() != u'\\') result.push_back(u'\\');
  return result;
}

std::u16string_view WithoutTrailingBackslash(std::u16string_view folder) {
  while (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
  return folder;
}

std::u16string_view FolderOfPath(std::u16string_view path) {
  return path.substr(0, FolderPartLength(path));
}

std::u16string_view FileNameOfPath(std::u16string_view path) {
  return path.substr(FolderPartLength(path));
}

std::u16string_view BaseNameOfPath(std::u16string_view path) {
  const std::u16string_view name = FileNameOfPath(path);
  const size_t dot = name.find_last_of(u'.');
  return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

std::u16string_view LastFolderName(std::u16string_view folder) {
  return FileNameOfPath(WithoutTrailingBackslash(folder));
}

std::u16string ParentFolder(std::u16string_view folder) {
  return std::u16string(FolderOfPath(WithoutTrailingBackslash(folder)));
}

}  // namespace velkor::core
