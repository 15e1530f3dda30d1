#include "core/delimited_text.h"

namespace velkor::core {
namespace {

constexpr char16_t kQuote = u'"';

bool IsSeparatorBlank(char16_t c) {
  return c != 0 && c <= u' ';
}

// Empty items are quoted too, so that reading gives them back.
bool NeedsQuotes(std::u16string_view item, char16_t delimiter) {
  if (item.empty()) return true;
  for (char16_t c : item) {
    if (c <= u' ' || c == kQuote || c == delimiter) return true;
  }
  return false;
}

void AppendQuoted(std::u16string& out, std::u16string_view item) {
  out.push_back(kQuote);
  for (char16_t c : item) {
    if (c == kQuote) out.push_back(kQuote);
    out.push_back(c);
  }
  out.push_back(kQuote);
}

// Reads a quoted item starting at the opening quote; leaves `i` after the closing one.
std::u16string ReadQuoted(std::u16string_view text, size_t& i) {
  std::u16string item;
  ++i;
  while (i < text.size()) {
    if (text[i] == kQuote) {
      if (i + 1 < text.size() && text[i + 1] == kQuote) {
        item.push_back(kQuote);
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    item.push_back(text[i++]);
  }
  return item;
}

}  // namespace

std::u16string ToDelimitedText(const std::vector<std::u16string>& items, char16_t delimiter) {
  std::u16string out;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0) out.push_back(delimiter);
    if (NeedsQuotes(items[k], delimiter)) {
      AppendQuoted(out, items[k]);
    } else {
      out += items[k];
    }
  }
  return out;
}

std::vector<std::u16string> FromDelimitedText(std::u16string_view text, char16_t delimiter) {
  std::vector<std::u16string> items;
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && IsSeparatorBlank(text[i])) ++i;
  };
  skip_blanks();
  while (i < text.size()) {
    std::u16string item;
    if (text[i] == kQuote) {
      item = ReadQuoted(text, i);
    } else {
      const size_t start = i;
      while (i < text.size() && text[i] != delimiter && !IsSeparatorBlank(text[i])) ++i;
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skip_blanks();
    if (i < text.size() && text[i] == delimiter) {
      ++i;
      skip_blanks();
      // A delimiter at the very end stands before one more, empty item.
      if (i == text.size()) items.emplace_back();
    }
  }
  return items;
}

std::u16string ToCommaText(const std::vector<std::u16string>& items) {
  return ToDelimitedText(items, u',');
}
std::vector<std::u16string> FromCommaText(std::u16string_view text) {
  return FromDelimitedText(text, u',');
}
std::u16string ToListText(const std::vector<std::u16string>& items) {
  return ToDelimitedText(items, u'|');
}
std::vector<std::u16string> FromListText(std::u16string_view text) {
  return FromDelimitedText(text, u'|');
}

}  // namespace velkor::core
