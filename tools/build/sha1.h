// SHA-1, used only to derive stable names (statement keys, command headers) from the
// project; nothing here is about security.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velkor::build {

std::array<uint8_t, 20> Sha1(std::string_view data);

}  // namespace velkor::build
