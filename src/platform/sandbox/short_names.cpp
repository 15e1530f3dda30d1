#include "platform/sandbox/short_names.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/case_mapping.h"
#include "core/decimal.h"

namespace velkor::platform::sandbox {
namespace {

bool IsShortNameChar(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) return true;
  return std::u16string_view(u"$%'-_@~`!(){}^#&").find(c) != std::u16string_view::npos;
}

// One character of a generated name: legal ones upper-cased, blanks and dots dropped,
// anything else (non-ASCII, "+", "[", ...) replaced by "_".
void AppendShortChar(std::u16string& out, char16_t c) {
  if (c == u' ' || c == u'.') return;
  out += IsShortNameChar(c) ? core::UpperChar(c) : u'_';
}

struct Stem {
  std::u16string base;       // up to 6 characters
  std::u16string extension;  // up to 3 characters
  std::u16string Key() const { return base + u'.' + extension; }
};

Stem StemOf(std::u16string_view name) {
  while (!name.empty() && name.front() == u'.') name.remove_prefix(1);
  const size_t dot = name.rfind(u'.');
  std::u16string_view base = dot == std::u16string_view::npos ? name : name.substr(0, dot);
  std::u16string_view extension =
      dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
  Stem stem;
  for (char16_t c : base) {
    if (stem.base.size() < 6) AppendShortChar(stem.base, c);
  }
  for (char16_t c : extension) {
    if (stem.extension.size() < 3) AppendShortChar(stem.extension, c);
  }
  if (stem.base.empty()) stem.base.push_back(u'_');
  return stem;
}

std::u16string Compose(const Stem& stem, int number) {
  const std::u16string digits = core::DecimalText(number);
  const size_t base_length = std::min(stem.base.size(), 7 - std::min<size_t>(digits.size(), 6));
  std::u16string name = stem.base.substr(0, base_length) + u'~' + digits;
  if (!stem.extension.empty()) name += u'.' + stem.extension;
  return name;
}

}  // namespace

bool IsValidShortName(std::u16string_view name) {
  const size_t dot = name.find(u'.');
  std::u16string_view base = name.substr(0, dot);
  std::u16string_view extension =
      dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  if (dot != std::u16string_view::npos && extension.empty()) return false;
  return std::all_of(base.begin(), base.end(), IsShortNameChar) &&
         std::all_of(extension.begin(), extension.end(), IsShortNameChar);
}

std::vector<std::u16string> AssignShortNames(const std::vector<std::u16string>& names) {
  std::vector<std::u16string> result(names.size());
  std::set<std::u16string> taken;
  std::vector<size_t> pending;
  for (size_t i = 0; i < names.size(); ++i) {
    if (IsValidShortName(names[i])) {
      result[i] = names[i];
      taken.insert(core::Upper(names[i]));
    } else {
      pending.push_back(i);
    }
  }
  std::stable_sort(pending.begin(), pending.end(), [&](size_t a, size_t b) {
    const int order = core::CompareIgnoreCase(names[a], names[b]);
    return order != 0 ? order < 0 : names[a] < names[b];
  });
  std::map<std::u16string, int> last_number;
  for (size_t i : pending) {
    const Stem stem = StemOf(names[i]);
    int& number = last_number[stem.Key()];
    std::u16string candidate;
    do {
      candidate = Compose(stem, ++number);
    } while (taken.count(candidate) != 0);
    taken.insert(candidate);
    result[i] = std::move(candidate);
  }
  return result;
}

}  // namespace velkor::platform::sandbox
