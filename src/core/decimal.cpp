#include "core/decimal.h"

#include <limits>

namespace velkor::core {
namespace {

template <typename T>
std::optional<T> ParseSigned(std::u16string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  using U = std::make_unsigned_t<T>;
  const U limit =
      negative ? U(std::numeric_limits<T>::max()) + 1 : U(std::numeric_limits<T>::max());
  U value = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < u'0' || c > u'9') return std::nullopt;
    const U digit = c - u'0';
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (negative) return static_cast<T>(U(0) - value);
  return static_cast<T>(value);
}

}  // namespace

std::optional<int32_t> ParseInt32(std::u16string_view text) {
  return ParseSigned<int32_t>(text);
}
std::optional<int64_t> ParseInt64(std::u16string_view text) {
  return ParseSigned<int64_t>(text);
}

std::u16string DecimalText(uint64_t value) {
  char16_t buffer[24];
  size_t n = 0;
  do {
    buffer[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::u16string out;
  out.reserve(n);
  while (n > 0) out.push_back(buffer[--n]);
  return out;
}

std::u16string DecimalText(int64_t value) {
  if (value >= 0) return DecimalText(static_cast<uint64_t>(value));
  return u"-" + DecimalText(uint64_t(0) - static_cast<uint64_t>(value));
}

}  // namespace velkor::core
