#include "name_guid.h"

#include "sha1.h"

namespace velkor::build {
namespace {

std::string GuidBytes(const core::Guid& g) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(char(g.data1 >> shift));
  bytes.push_back(char(g.data2 >> 8));
  bytes.push_back(char(g.data2));
  bytes.push_back(char(g.data3 >> 8));
  bytes.push_back(char(g.data3));
  for (uint8_t b : g.data4) bytes.push_back(char(b));
  return bytes;
}

}  // namespace

core::Guid NameGuid(const core::Guid& name_space, std::string_view name) {
  const auto d = Sha1(GuidBytes(name_space) + std::string(name));
  core::Guid g;
  g.data1 = uint32_t(d[0]) << 24 | uint32_t(d[1]) << 16 | uint32_t(d[2]) << 8 | d[3];
  g.data2 = uint16_t(d[4] << 8 | d[5]);
  g.data3 = uint16_t(((d[6] << 8 | d[7]) & 0x0FFF) | 0x5000);
  for (int k = 0; k < 8; ++k) g.data4[k] = d[8 + k];
  g.data4[0] = uint8_t((g.data4[0] & 0x3F) | 0x80);
  return g;
}

uint32_t NameHash32(const core::Guid& name_space, std::string_view name) {
  const auto d = Sha1(GuidBytes(name_space) + std::string(name));
  return uint32_t(d[0]) << 24 | uint32_t(d[1]) << 16 | uint32_t(d[2]) << 8 | d[3];
}

}  // namespace velkor::build
