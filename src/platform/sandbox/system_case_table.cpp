// Case mapping of the C library's wide-character functions under a UTF-8 locale, so
// that it covers the whole plane whatever locale the process runs in.
#include <locale.h>
#include <clocale>
#include <cwctype>

#include "core/system_case_table.h"

namespace velkor::core {
namespace {

locale_t UnicodeLocale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    return l;
  }();
  return locale;
}

template <typename Map>
void Fill(char16_t (&table)[65536], Map map) {
  for (unsigned c = 0; c < 65536; ++c) {
    const wint_t mapped = map(static_cast<wint_t>(c));
    // Only mappings that stay in the plane can be expressed in one code unit.
    table[c] = mapped < 0x10000 ? static_cast<char16_t>(mapped) : static_cast<char16_t>(c);
  }
}

}  // namespace

void FillSystemLowerTable(char16_t (&table)[65536]) {
  locale_t l = UnicodeLocale();
  Fill(table, [l](wint_t c) { return l ? towlower_l(c, l) : towlower(c); });
}

void FillSystemUpperTable(char16_t (&table)[65536]) {
  locale_t l = UnicodeLocale();
  Fill(table, [l](wint_t c) { return l ? towupper_l(c, l) : towupper(c); });
}

}  // namespace velkor::core
