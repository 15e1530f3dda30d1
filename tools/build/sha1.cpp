#include "sha1.h"

#include <vector>

namespace velkor::build {
namespace {

uint32_t Rotl(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

void ProcessBlock(const uint8_t* block, std::array<uint32_t, 5>& h) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16 |
           uint32_t(block[4 * i + 2]) << 8 | block[4 * i + 3];
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d), k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d, k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d, k = 0xCA62C1D6;
    }
    const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d, d = c, c = Rotl(b, 30), b = a, a = t;
  }
  h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
}

}  // namespace

std::array<uint8_t, 20> Sha1(std::string_view data) {
  std::array<uint32_t, 5> h{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::vector<uint8_t> message(data.begin(), data.end());
  const uint64_t bit_length = uint64_t(data.size()) * 8;
  message.push_back(0x80);
  while (message.size() % 64 != 56) message.push_back(0);
  for (int shift = 56; shift >= 0; shift -= 8) message.push_back(uint8_t(bit_length >> shift));
  for (size_t offset = 0; offset < message.size(); offset += 64)
    ProcessBlock(message.data() + offset, h);
  std::array<uint8_t, 20> digest{};
  for (int i = 0; i < 20; ++i) digest[i] = uint8_t(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

}  // namespace velkor::build
