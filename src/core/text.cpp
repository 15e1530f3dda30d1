#include "core/text.h"

namespace velkor::core {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one code point at `i` of UTF-16 text, advancing `i`.
char32_t NextUtf16(std::u16string_view text, size_t& i) {
  char32_t c = text[i++];
  if (IsHighSurrogate(c)) {
    if (i < text.size() && IsLowSurrogate(text[i])) {
      return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    }
    return kReplacement;
  }
  return IsLowSurrogate(c) ? kReplacement : c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
    }
    if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      // Skip the lead byte and any continuation bytes that belonged to it.
      out.push_back(kReplacement);
      i = (j > i + 1 && !ok) ? j : i + 1;
      continue;
    }
    AppendUtf16(out, cp);
    i = j;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  size_t i = 0;
  while (i < utf16.size()) AppendUtf8(out, NextUtf16(utf16, i));
  return out;
}

std::wstring ToWide(std::u16string_view text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::wstring(text.begin(), text.end());
  } else {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) out.push_back(static_cast<wchar_t>(NextUtf16(text, i)));
    return out;
  }
}

std::u16string FromWide(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (wchar_t w : text) {
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<char16_t>(w));
    } else {
      const char32_t cp = static_cast<char32_t>(w);
      const bool valid = cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
      AppendUtf16(out, valid ? cp : kReplacement);
    }
  }
  return out;
}

std::string ToUtf16LeBytes(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::u16string FromUtf16LeBytes(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return out;
}

std::u16string DecodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return FromUtf16LeBytes(bytes.substr(2));
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return Utf8ToUtf16(bytes);
}

std::vector<std::u16string> TextLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", from);
    if (end == std::u16string_view::npos) {
      lines.emplace_back(text.substr(from));
      break;
    }
    lines.emplace_back(text.substr(from, end - from));
    from = end + (text.substr(end, 2) == u"\r\n" ? 2 : 1);
  }
  return lines;
}

}  // namespace velkor::core
