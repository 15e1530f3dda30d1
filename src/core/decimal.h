// Strict decimal parsing: an optional sign followed by one or more ASCII digits, nothing
// else (no blanks, no hexadecimal), within the range of the type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::core {

std::optional<int32_t> ParseInt32(std::u16string_view text);
std::optional<int64_t> ParseInt64(std::u16string_view text);

std::u16string DecimalText(int64_t value);
std::u16string DecimalText(uint64_t value);
inline std::u16string DecimalText(int32_t value) {
  return DecimalText(static_cast<int64_t>(value));
}
inline std::u16string DecimalText(uint32_t value) {
  return DecimalText(static_cast<uint64_t>(value));
}

}  // namespace velkor::core
