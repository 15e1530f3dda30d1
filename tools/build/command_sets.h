// The groups of commands whose statements the build tool treats specially.
#pragma once

#include <string_view>

namespace velkor::build {

// Change commands: each gets a command header, which ties it to its authored action.
bool IsChangeCommand(std::u16string_view command);

// Commands that install a group of files from the data folder (install map).
bool IsFileGroupCommand(std::u16string_view command);

inline constexpr char16_t kInstallFiles[] = u"Install Files";
inline constexpr char16_t kWebMediaBlock[] = u"Web Media Block";
inline constexpr char16_t kDisplayDialog[] = u"Display Dialog";

}  // namespace velkor::build
