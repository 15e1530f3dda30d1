#include "web_media_key.h"

#include "core/case_mapping.h"

namespace velkor::build {
namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Pairs of hexadecimal digits to characters; `swapped` reads the second digit as the
// high one.
std::optional<std::u16string> FromPairs(std::u16string_view text, bool swapped) {
  std::u16string out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const int first = HexValue(text[i]), second = HexValue(text[i + 1]);
    if (first < 0 || second < 0) return std::nullopt;
    out.push_back(char16_t(swapped ? second * 16 + first : first * 16 + second));
  }
  return out;
}

}  // namespace

std::optional<std::u16string> ScrambleWebMediaKey(std::u16string_view password) {
  if (password.size() > 128) return std::nullopt;
  std::u16string swapped;
  for (char16_t c : password) {
    if (c > 0xFF) return std::nullopt;
    swapped.push_back(kHex[c & 0xF]);
    swapped.push_back(kHex[c >> 4]);
  }
  std::u16string stored;
  for (size_t k = 0; k < swapped.size(); ++k) {
    const unsigned code = swapped[k] ^ unsigned(k);
    stored.push_back(kHex[code >> 4]);
    stored.push_back(kHex[code & 0xF]);
  }
  return stored;
}

std::optional<std::u16string> UnscrambleWebMediaKey(std::u16string_view stored) {
  auto xored = FromPairs(stored, false);
  if (!xored) return std::nullopt;
  for (size_t k = 0; k < xored->size(); ++k) (*xored)[k] = char16_t((*xored)[k] ^ k);
  return FromPairs(*xored, true);
}

std::u16string WebMediaPassword(const script::CompiledScript& script, std::u16string_view block) {
  for (const std::u16string_view name : {block, std::u16string_view(u"offline")})
    for (const auto& [key_block, stored] : script.web_media_keys)
      if (core::EqualIgnoreCase(key_block, name))
        return UnscrambleWebMediaKey(stored).value_or(u"");
  return {};
}

}  // namespace velkor::build
