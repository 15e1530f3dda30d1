#include "media/archive/archive_item.h"

namespace velkor::media::archive {

bool IsSafeItemName(std::u16string_view name) {
  if (name.empty() || name.front() == u'\\' || name.front() == u'/') return false;
  if (name.find(u':') != std::u16string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(u"\\/", start);
    if (end == std::u16string_view::npos) end = name.size();
    std::u16string_view component = name.substr(start, end - start);
    if (!component.empty() && component != u".") {
      while (!component.empty() && (component.back() == u'.' || component.back() == u' ')) {
        component.remove_suffix(1);
      }
      if (component.empty()) return false;
    }
    start = end + 1;
  }
  return true;
}

}  // namespace velkor::media::archive
