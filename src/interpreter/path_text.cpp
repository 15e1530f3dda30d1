#include "interpreter/path_text.h"

#include <algorithm>
#include <vector>

#include "core/case_mapping.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";
constexpr std::u16string_view kFolderSeparators = u"\\/";
constexpr std::u16string_view kNameSeparators = u"\\/:";
constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";

bool IsFolderSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

std::u16string WithTrailingBackslash(std::u16string_view text) {
  if (text.empty() || IsFolderSeparator(text.back())) return std::u16string(text);
  return std::u16string(text) + u'\\';
}

// Up to and including the last separator; empty when there is none.
std::u16string_view FolderOf(std::u16string_view path) {
  const size_t last = path.find_last_of(kNameSeparators);
  return last == std::u16string_view::npos ? std::u16string_view() : path.substr(0, last + 1);
}

std::u16string_view FileNameOf(std::u16string_view path) {
  const size_t last = path.find_last_of(kNameSeparators);
  return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

std::u16string_view ParentFolderOf(std::u16string_view path) {
  std::u16string_view folder = FolderOf(path);
  if (!folder.empty() && IsFolderSeparator(folder.back())) folder.remove_suffix(1);
  return FolderOf(folder);
}

// Replaces every occurrence of `search` (found as `find` finds it), left to right.
template <typename Find>
std::u16string ReplaceEvery(std::u16string_view text, std::u16string_view search,
                            std::u16string_view replacement, Find find) {
  std::u16string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = find(text, search, 0); at != std::u16string_view::npos;
       at = find(text, search, from)) {
    out.append(text.substr(from, at - from)).append(replacement);
    from = at + search.size();
  }
  out.append(text.substr(from));
  return out;
}

size_t FindExact(std::u16string_view text, std::u16string_view search, size_t from) {
  return text.find(search, from);
}

size_t FindAnyCase(std::u16string_view text, std::u16string_view search, size_t from) {
  return core::FindIgnoreCase(text, search, from);
}

std::vector<std::u16string_view> ResolvedComponents(std::u16string_view rest) {
  std::vector<std::u16string_view> components;
  size_t from = 0;
  while (from <= rest.size()) {
    const size_t end = std::min(rest.find(u'\\', from), rest.size());
    const std::u16string_view component = rest.substr(from, end - from);
    if (component == u"..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != u".") {
      components.push_back(component);
    }
    from = end + 1;
  }
  return components;
}

}  // namespace

std::u16string ReplaceBackslashPairs(std::u16string_view text) {
  return ReplaceEvery(text, u"\\\\", u"\\", FindExact);
}

std::u16string NormalizeExpandedPath(std::u16string_view expanded) {
  std::u16string normalized = ReplaceBackslashPairs(expanded);
  if (expanded.starts_with(u"\\\\")) normalized.insert(0, 1, u'\\');
  return normalized;
}

std::u16string NormalizedPath(const script::Variables& variables, std::u16string_view text) {
  return NormalizeExpandedPath(variables.ExpandVariables(text));
}

std::u16string LineBreaksToMarkers(std::u16string_view text) {
  return ReplaceEvery(text, kLineBreak, kNewlineMarker, FindExact);
}

std::u16string MarkersToLineBreaks(std::u16string_view text) {
  return ReplaceEvery(text, kNewlineMarker, kLineBreak, FindAnyCase);
}

std::u16string_view DriveOf(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':' && IsAsciiLetter(path[0])) return path.substr(0, 2);
  if (path.size() < 2 || !IsFolderSeparator(path[0]) || !IsFolderSeparator(path[1])) return {};
  const size_t server_end = path.find_first_of(kFolderSeparators, 2);
  if (server_end == std::u16string_view::npos) return path;
  const size_t share_end = path.find_first_of(kFolderSeparators, server_end + 1);
  return share_end == std::u16string_view::npos ? path : path.substr(0, share_end);
}

std::u16string ExtractPathPart(std::u16string_view path, int32_t part) {
  const std::u16string_view name = FileNameOf(path);
  const size_t dot = name.rfind(u'.');
  switch (static_cast<PathPart>(part)) {
    case PathPart::kFileName:
      return std::u16string(name);
    case PathPart::kBaseName:
      return std::u16string(name.substr(0, dot));
    case PathPart::kExtension:
      return dot == std::u16string_view::npos ? std::u16string()
                                              : std::u16string(name.substr(dot + 1));
    case PathPart::kFolder:
      return WithTrailingBackslash(FolderOf(path));
    case PathPart::kParentFolder:
      return WithTrailingBackslash(ParentFolderOf(path));
    case PathPart::kDrive:
      return WithTrailingBackslash(DriveOf(path));
    case PathPart::kPairsReplaced:
      return ReplaceBackslashPairs(path);
  }
  return std::u16string(path);
}

std::u16string AbsolutePath(std::u16string_view path) {
  if (path.starts_with(kLongPathPrefix)) return std::u16string(path);
  std::u16string text(path);
  for (char16_t& c : text) {
    if (c == u'/') c = u'\\';
  }
  const std::u16string_view drive = DriveOf(text);
  if (drive.empty()) return std::u16string(path);
  const std::u16string_view rest = std::u16string_view(text).substr(drive.size());
  std::u16string absolute(drive);
  absolute += u'\\';
  const std::vector<std::u16string_view> components = ResolvedComponents(rest);
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) absolute += u'\\';
    absolute += components[i];
  }
  if (!components.empty() && text.back() == u'\\') absolute += u'\\';
  return absolute;
}

}  // namespace velkor::interpreter
