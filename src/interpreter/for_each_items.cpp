#include "interpreter/for_each_items.h"

#include <algorithm>

namespace velkor::interpreter {

std::u16string_view TakeNextItem(ForEachEntry& entry) {
  const std::u16string_view list = entry.remaining;
  const std::u16string_view separator = entry.separator;
  size_t start = std::min(entry.walked, list.size());
  if (separator.empty()) {
    entry.walked = list.size();
    return list.substr(start);
  }
  while (list.compare(start, separator.size(), separator) == 0) start += separator.size();
  const size_t next = list.find(separator, start);
  if (next == std::u16string_view::npos) {
    entry.walked = list.size();
    return list.substr(start);
  }
  entry.walked = next + separator.size();
  return list.substr(start, next - start);
}

}  // namespace velkor::interpreter
