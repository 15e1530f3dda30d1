#include "platform/sandbox/windows_path.h"

#include <array>

#include "core/case_mapping.h"

namespace velkor::platform::sandbox {
namespace {

constexpr size_t kMaxNameLength = 255;

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool IsForbiddenInName(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'\\' ||
         c == u'/';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows.
bool IsReservedDeviceName(std::u16string_view name) {
  std::u16string_view base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  static constexpr std::array<std::u16string_view, 4> kPlain = {u"CON", u"PRN", u"AUX", u"NUL"};
  for (std::u16string_view device : kPlain) {
    if (core::EqualIgnoreCase(base, device)) return true;
  }
  if (base.size() != 4 || base[3] < u'1' || base[3] > u'9') return false;
  std::u16string_view stem = base.substr(0, 3);
  return core::EqualIgnoreCase(stem, u"COM") || core::EqualIgnoreCase(stem, u"LPT");
}

std::u16string_view DropTrailingDotsAndBlanks(std::u16string_view name) {
  while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.remove_suffix(1);
  return name;
}

Status CheckName(std::u16string_view name, bool allow_wildcards, std::u16string_view text) {
  for (char16_t c : name) {
    if (IsForbiddenInName(c) || (!allow_wildcards && (c == u'*' || c == u'?'))) {
      return Status::Failure(error::kInvalidName,
                             std::u16string(text) + u": a name holds a character Windows forbids");
    }
  }
  if (name.empty() || name.size() > kMaxNameLength) {
    return Status::Failure(
        error::kInvalidName,
        std::u16string(text) + u": a name is empty or longer than 255 characters");
  }
  if (IsReservedDeviceName(name)) {
    return Status::Failure(error::kInvalidName,
                           std::u16string(text) + u": a name is a reserved device name");
  }
  return Status::Ok();
}

Status BadForm(std::u16string_view text) {
  return Status::Failure(
      error::kBadPathname,
      std::u16string(text) + u": only full drive-letter paths (C:\\...) are supported");
}

// Strips "\\?\" and checks the "X:" drive part; returns what follows the drive.
Result<std::u16string_view> TakeDrive(std::u16string_view text, WindowsPath& path) {
  std::u16string_view rest = text;
  if (rest.size() >= 4 && IsSeparator(rest[0]) && IsSeparator(rest[1]) && rest[2] == u'?' &&
      IsSeparator(rest[3])) {
    path.long_prefix = true;
    rest.remove_prefix(4);
  }
  const bool has_letter =
      rest.size() >= 2 && rest[1] == u':' &&
      ((rest[0] >= u'A' && rest[0] <= u'Z') || (rest[0] >= u'a' && rest[0] <= u'z'));
  // "C:" alone and "C:name" are relative to the drive's current folder.
  if (!has_letter || rest.size() < 3 || !IsSeparator(rest[2])) return BadForm(text);
  path.drive = core::UpperChar(rest[0]);
  return rest.substr(3);
}

}  // namespace

std::u16string WindowsPath::Text() const {
  std::u16string text{drive, u':', u'\\'};
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) text += u'\\';
    text += components[i];
  }
  return text;
}

WindowsPath WindowsPath::Parent() const {
  WindowsPath parent = *this;
  if (!parent.components.empty()) parent.components.pop_back();
  parent.trailing_separator = false;
  return parent;
}

Result<WindowsPath> ParseWindowsPath(std::u16string_view text, LastComponent last) {
  WindowsPath path;
  Result<std::u16string_view> rest = TakeDrive(text, path);
  if (!rest.ok()) return rest.status();
  std::u16string_view remaining = *rest;
  path.trailing_separator = !remaining.empty() && IsSeparator(remaining.back());
  while (!remaining.empty()) {
    size_t end = 0;
    while (end < remaining.size() && !IsSeparator(remaining[end])) ++end;
    std::u16string_view raw = remaining.substr(0, end);
    remaining.remove_prefix(end < remaining.size() ? end + 1 : end);
    const bool is_last = remaining.empty();
    if (raw.empty() || raw == u".") continue;
    if (raw == u"..") {
      if (!path.components.empty()) path.components.pop_back();
      continue;
    }
    const bool pattern = is_last && last == LastComponent::kPattern;
    // A pattern keeps its dots: "*." means "names without an extension".
    std::u16string_view name = pattern ? raw : DropTrailingDotsAndBlanks(raw);
    if (Status checked = CheckName(name, pattern, text); !checked.ok()) return checked;
    path.components.emplace_back(name);
  }
  return path;
}

bool IsValidEntryName(std::u16string_view name) {
  return name != u"." && name != u".." && DropTrailingDotsAndBlanks(name) == name &&
         CheckName(name, false, u"").ok();
}

bool HasWildcard(std::u16string_view name) {
  return name.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace velkor::platform::sandbox
