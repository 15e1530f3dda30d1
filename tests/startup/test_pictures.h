// Picture files for the window tests.
#pragma once

#include <cstdint>
#include <string>

namespace velkor::startup::testing {

// A Windows bitmap file (24 bits per pixel, bottom-up, black) of the given size.
inline std::string Bitmap(int32_t width, int32_t height) {
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(height);
  std::string bytes(54 + pixels, '\0');
  auto put32 = [&bytes](size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  put32(34, pixels);
  return bytes;
}

}  // namespace velkor::startup::testing
