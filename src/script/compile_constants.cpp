#include "script/compile_constants.h"

#include <optional>
#include <unordered_set>

#include "core/case_mapping.h"

namespace velkor::script {
namespace {

// Replaces every occurrence of `pattern` (ignoring case) without rescanning inserted
// text. False when the result would grow past the limit.
bool ReplaceAll(std::u16string& text, std::u16string_view pattern, std::u16string_view value) {
  size_t found = core::FindIgnoreCase(text, pattern);
  if (found == std::u16string::npos) return true;
  std::u16string out;
  size_t from = 0;
  for (; found != std::u16string::npos; found = core::FindIgnoreCase(text, pattern, from)) {
    out.append(text, from, found - from);
    out.append(value);
    from = found + pattern.size();
    if (out.size() > kMaxExpandedConstantLength) return false;
  }
  out.append(text, from);
  if (out.size() > kMaxExpandedConstantLength) return false;
  text = std::move(out);
  return true;
}

std::optional<std::u16string> ExpandOnce(const KeyedPairs<std::u16string>& constants,
                                         std::u16string_view text) {
  std::u16string result(text);
  std::u16string pattern;
  for (size_t i = 0; i < constants.size(); ++i) {
    if (result.find(u'#') == std::u16string::npos) break;
    pattern.assign(u"#").append(constants.name(i)).append(u"#");
    if (!ReplaceAll(result, pattern, constants.value(i))) return std::nullopt;
  }
  return result;
}

}  // namespace

std::u16string ExpandCompileConstants(const KeyedPairs<std::u16string>& constants,
                                      std::u16string_view text) {
  std::u16string current(text);
  if (current.find(u'#') == std::u16string::npos) return current;
  std::unordered_set<std::u16string> seen{current};
  for (size_t pass = 0; pass < constants.size() + 2; ++pass) {
    std::optional<std::u16string> next = ExpandOnce(constants, current);
    if (!next) return current;
    if (next->find(u'#') == std::u16string::npos || *next == current) return *next;
    if (!seen.insert(*next).second) return *next;
    current = std::move(*next);
  }
  return current;
}

}  // namespace velkor::script
