// The engine's built-in logo, shown by the preparing window until the resource archive
// supplies its own "velkor.png".
#pragma once

#include <string_view>

namespace velkor::startup {

// The PNG file's bytes.
std::string_view BuiltInLogoPng();

}  // namespace velkor::startup
