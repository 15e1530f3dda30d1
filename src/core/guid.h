// GUIDs as the engine writes them: braced, upper-case, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::core {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  bool operator==(const Guid&) const = default;
};

// A random (version 4) GUID from 16 random bytes; the platform supplies the randomness.
Guid GuidFromRandomBytes(const std::array<uint8_t, 16>& random);
std::u16string GuidText(const Guid& guid);
// Accepts the braced form in either case; nullopt for anything else.
std::optional<Guid> ParseGuid(std::u16string_view text);

}  // namespace velkor::core
