// Text conversions. All engine text is UTF-16 (std::u16string); files and the
// outside world speak UTF-8, and Windows speaks wchar_t.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::core {

// Invalid UTF-8 sequences become U+FFFD; the conversion never fails.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD; the conversion never fails.
std::string Utf16ToUtf8(std::u16string_view utf16);

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both directions handle either.
std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// UTF-16LE bytes (as files and registry data hold them) without a byte-order mark.
std::string ToUtf16LeBytes(std::u16string_view text);
// An odd trailing byte is dropped.
std::u16string FromUtf16LeBytes(std::string_view bytes);

// Reads a text file's bytes: UTF-8 with an optional byte-order mark, or UTF-16LE when
// it starts with the UTF-16LE byte-order mark.
std::u16string DecodeTextFile(std::string_view bytes);

// The lines of a text: CR LF, LF and a lone CR each end a line; a line end at the very
// end starts no further line, so an empty text has no lines.
std::vector<std::u16string> TextLines(std::u16string_view text);

// Shorthand for literals in code that mixes narrow constants with engine text.
inline std::u16string U16(std::string_view ascii_or_utf8) {
  return Utf8ToUtf16(ascii_or_utf8);
}

}  // namespace velkor::core
