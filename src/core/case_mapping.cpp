#include "core/case_mapping.h"

#include <memory>

#include "core/system_case_table.h"

namespace velkor::core {
namespace {

struct CaseTables {
  char16_t lower[65536];
  char16_t upper[65536];
};

const CaseTables& Tables() {
  static const std::unique_ptr<CaseTables> tables = [] {
    auto t = std::make_unique<CaseTables>();
    FillSystemLowerTable(t->lower);
    FillSystemUpperTable(t->upper);
    // Surrogate halves never change case on their own.
    for (char32_t c = 0xD800; c <= 0xDFFF; ++c) {
      t->lower[c] = static_cast<char16_t>(c);
      t->upper[c] = static_cast<char16_t>(c);
    }
    return t;
  }();
  return *tables;
}

}  // namespace

char16_t LowerChar(char16_t c) {
  return c < 0x80 ? (c >= u'A' && c <= u'Z' ? c + 32 : c) : Tables().lower[c];
}

char16_t UpperChar(char16_t c) {
  return c < 0x80 ? (c >= u'a' && c <= u'z' ? c - 32 : c) : Tables().upper[c];
}

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = LowerChar(c);
  return out;
}

std::u16string Upper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperChar(c);
  return out;
}

int CompareIgnoreCase(std::u16string_view a, std::u16string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = LowerChar(a[i]);
    const char16_t y = LowerChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualIgnoreCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareIgnoreCase(a, b) == 0;
}

bool StartsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

size_t FindIgnoreCase(std::u16string_view text, std::u16string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::u16string_view::npos;
  for (size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (EqualIgnoreCase(text.substr(i, needle.size()), needle)) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace velkor::core
