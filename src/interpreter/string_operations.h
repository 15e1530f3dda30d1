// The text work of "Replace String" and "Parse String", apart from the statement: pure
// functions over the already expanded texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor::interpreter {

// Replaces the first occurrence of `search`, or every one, left to right. The scan goes
// on after each inserted replacement, never inside it, so a replacement that holds the
// search text cannot make it loop; an empty search text finds nothing (no change).
std::u16string ReplaceText(std::u16string_view text, std::u16string_view search,
                           std::u16string_view replacement, bool ignore_case, bool replace_all);

// How "Parse String" splits (its mode parameter).
enum class SplitMode : int32_t {
  kFirstSeparator = 0,  // before and after the first occurrence of the separator
  kLastSeparator = 1,   // before and after the last occurrence
  kCount = 2,           // the first N characters and the rest
  kCountFromEnd = 3,    // all but the last N characters and the last N
};

struct SplitParts {
  std::u16string first;
  std::u16string second;
  bool operator==(const SplitParts&) const = default;
};

// Splits `text` at `separator` (modes 0 and 1; searched ignoring case when asked, an
// empty separator is never found) or at the count it holds (modes 2 and 3; a count
// outside 0..length counts as the nearest end, one that is not an integer gives two
// empty parts). Not found: mode 0 gives (text, ""), mode 1 ("", text). Any other mode
// gives two empty parts. With `trim` both parts lose their leading and trailing blanks
// and control characters.
SplitParts SplitText(std::u16string_view text, std::u16string_view separator, int32_t mode,
                     bool ignore_case, bool trim);

// Without the leading and trailing blanks and control characters (code units up to 32).
std::u16string TrimBlanks(std::u16string_view text);

}  // namespace velkor::interpreter
