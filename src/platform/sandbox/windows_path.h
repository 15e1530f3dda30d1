// Windows path texts as the sandbox accepts them: a drive letter form ("C:\dir\name"),
// with either slash and with or without the "\\?\" prefix. Parsing is purely lexical:
// it never looks at the machine. Thread-safe (no state).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace velkor::platform::sandbox {

// A parsed drive-letter path. Components are never empty, "." or "..", and hold no
// separator, control character or character Windows forbids in names; ".." has been
// applied and can never climb above the drive root.
struct WindowsPath {
  char16_t drive = u'C';  // upper case
  std::vector<std::u16string> components;
  bool long_prefix = false;         // written with "\\?\"
  bool trailing_separator = false;  // written with a separator after the last name

  bool is_root() const { return components.empty(); }
  // "C:\a\b" (the drive root is "C:\"), without prefix or trailing separator.
  std::u16string Text() const;
  // The path of the folder holding the last component (the root for the root).
  WindowsPath Parent() const;
};

// Whether the last component names one entry or is a FindFirstFile pattern that may
// hold "*" and "?".
enum class LastComponent { kName, kPattern };

// Fails with kBadPathname for forms other than a drive-letter path (relative, drive
// relative "C:x", UNC "\\server\share", device "\\.\"), and with kInvalidName for a
// component Windows could not hold (forbidden characters, reserved device names such as
// "NUL" or "COM1", names longer than 255 characters, names made only of dots).
// Trailing dots and blanks of every component are dropped, as Windows drops them.
Result<WindowsPath> ParseWindowsPath(std::u16string_view text,
                                     LastComponent last = LastComponent::kName);

// True when `name` is a name a folder entry may have (the rules above, no wildcards).
bool IsValidEntryName(std::u16string_view name);

// True for "*" and "?".
bool HasWildcard(std::u16string_view name);

}  // namespace velkor::platform::sandbox
