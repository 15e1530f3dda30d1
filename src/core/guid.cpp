#include "core/guid.h"

namespace velkor::core {
namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

void AppendHex(std::u16string& out, uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    out.push_back(kHex[(value >> shift) & 0xF]);
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::optional<uint64_t> ReadHex(std::u16string_view text, size_t& i, int digits) {
  uint64_t value = 0;
  for (int k = 0; k < digits; ++k, ++i) {
    if (i >= text.size()) return std::nullopt;
    const int v = HexValue(text[i]);
    if (v < 0) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(v);
  }
  return value;
}

bool Expect(std::u16string_view text, size_t& i, char16_t c) {
  if (i >= text.size() || text[i] != c) return false;
  ++i;
  return true;
}

}  // namespace

Guid GuidFromRandomBytes(const std::array<uint8_t, 16>& r) {
  Guid g;
  g.data1 = uint32_t(r[0]) << 24 | uint32_t(r[1]) << 16 | uint32_t(r[2]) << 8 | r[3];
  g.data2 = static_cast<uint16_t>(r[4] << 8 | r[5]);
  g.data3 = static_cast<uint16_t>(((r[6] << 8 | r[7]) & 0x0FFF) | 0x4000);
  for (int k = 0; k < 8; ++k) g.data4[k] = r[8 + k];
  g.data4[0] = static_cast<uint8_t>((g.data4[0] & 0x3F) | 0x80);
  return g;
}

std::u16string GuidText(const Guid& g) {
  std::u16string out = u"{";
  AppendHex(out, g.data1, 8);
  out.push_back(u'-');
  AppendHex(out, g.data2, 4);
  out.push_back(u'-');
  AppendHex(out, g.data3, 4);
  out.push_back(u'-');
  AppendHex(out, g.data4[0], 2);
  AppendHex(out, g.data4[1], 2);
  out.push_back(u'-');
  for (int k = 2; k < 8; ++k) AppendHex(out, g.data4[k], 2);
  out.push_back(u'}');
  return out;
}

std::optional<Guid> ParseGuid(std::u16string_view text) {
  if (text.size() != 38) return std::nullopt;
  size_t i = 0;
  Guid g;
  if (!Expect(text, i, u'{')) return std::nullopt;
  auto d1 = ReadHex(text, i, 8);
  if (!d1 || !Expect(text, i, u'-')) return std::nullopt;
  auto d2 = ReadHex(text, i, 4);
  if (!d2 || !Expect(text, i, u'-')) return std::nullopt;
  auto d3 = ReadHex(text, i, 4);
  if (!d3 || !Expect(text, i, u'-')) return std::nullopt;
  for (int k = 0; k < 8; ++k) {
    if (k == 2 && !Expect(text, i, u'-')) return std::nullopt;
    auto b = ReadHex(text, i, 2);
    if (!b) return std::nullopt;
    g.data4[k] = static_cast<uint8_t>(*b);
  }
  if (!Expect(text, i, u'}')) return std::nullopt;
  g.data1 = static_cast<uint32_t>(*d1);
  g.data2 = static_cast<uint16_t>(*d2);
  g.data3 = static_cast<uint16_t>(*d3);
  return g;
}

}  // namespace velkor::core
