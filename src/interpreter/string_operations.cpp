#include "interpreter/string_operations.h"

#include <algorithm>
#include <optional>

#include "core/case_mapping.h"
#include "core/decimal.h"

namespace velkor::interpreter {
namespace {

size_t Find(std::u16string_view text, std::u16string_view search, size_t from, bool ignore_case) {
  return ignore_case ? core::FindIgnoreCase(text, search, from) : text.find(search, from);
}

SplitParts CutAt(std::u16string_view text, size_t at, size_t skip) {
  return SplitParts{std::u16string(text.substr(0, at)), std::u16string(text.substr(at + skip))};
}

std::optional<SplitParts> SplitAtSeparator(std::u16string_view text, std::u16string_view separator,
                                           bool last, bool ignore_case) {
  if (separator.empty()) return std::nullopt;
  // Lower-casing keeps every code unit in place, so positions in the copies hold in `text`.
  const std::u16string lowered_text = ignore_case ? core::Lower(text) : std::u16string();
  const std::u16string lowered_separator = ignore_case ? core::Lower(separator) : std::u16string();
  const std::u16string_view haystack = ignore_case ? lowered_text : text;
  const std::u16string_view needle = ignore_case ? lowered_separator : separator;
  const size_t at = last ? haystack.rfind(needle) : haystack.find(needle);
  if (at == std::u16string_view::npos) return std::nullopt;
  return CutAt(text, at, separator.size());
}

SplitParts SplitAtCount(std::u16string_view text, std::u16string_view count, bool from_end) {
  const std::optional<int64_t> n = core::ParseInt64(count);
  if (!n) return {};
  const size_t length = text.size();
  const size_t kept = static_cast<size_t>(std::clamp<int64_t>(*n, 0, static_cast<int64_t>(length)));
  return CutAt(text, from_end ? length - kept : kept, 0);
}

SplitParts Split(std::u16string_view text, std::u16string_view separator, int32_t mode,
                 bool ignore_case) {
  switch (static_cast<SplitMode>(mode)) {
    case SplitMode::kFirstSeparator:
      return SplitAtSeparator(text, separator, false, ignore_case)
          .value_or(SplitParts{std::u16string(text), {}});
    case SplitMode::kLastSeparator:
      return SplitAtSeparator(text, separator, true, ignore_case)
          .value_or(SplitParts{{}, std::u16string(text)});
    case SplitMode::kCount:
      return SplitAtCount(text, separator, false);
    case SplitMode::kCountFromEnd:
      return SplitAtCount(text, separator, true);
  }
  return {};
}

}  // namespace

std::u16string ReplaceText(std::u16string_view text, std::u16string_view search,
                           std::u16string_view replacement, bool ignore_case, bool replace_all) {
  if (search.empty()) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = Find(text, search, 0, ignore_case); at != std::u16string_view::npos;
       at = replace_all ? Find(text, search, from, ignore_case) : std::u16string_view::npos) {
    out.append(text.substr(from, at - from)).append(replacement);
    from = at + search.size();
  }
  out.append(text.substr(from));
  return out;
}

SplitParts SplitText(std::u16string_view text, std::u16string_view separator, int32_t mode,
                     bool ignore_case, bool trim) {
  SplitParts parts = Split(text, separator, mode, ignore_case);
  if (trim) parts = SplitParts{TrimBlanks(parts.first), TrimBlanks(parts.second)};
  return parts;
}

std::u16string TrimBlanks(std::u16string_view text) {
  auto blank = [](char16_t c) { return c <= u' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::u16string(text);
}

}  // namespace velkor::interpreter
