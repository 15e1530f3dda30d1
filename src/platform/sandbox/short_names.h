// The sandbox's 8.3 short names. Windows keeps a short name per folder entry; the
// sandbox derives them instead, deterministically from the names in the folder:
//  - a name that is already a valid 8.3 name (any case) is its own short name;
//  - any other name gets the first legal characters of its base upper-cased (6, fewer
//    when the number needs more digits), "~", a number, and the first three legal
//    characters of its extension: "Program Files" -> "PROGRA~1".
//  - the number is the entry's position among the folder's entries of the same stem,
//    ordered by name without regard to case, skipping numbers whose result an entry
//    already has as its own name ("Program Files (x86)" -> "PROGRA~2").
// So a short name changes only when an entry of the same stem that sorts before it is
// created or removed. Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::platform::sandbox {

bool IsValidShortName(std::u16string_view name);

// The short names of all entries of one folder, in the order of `names`.
std::vector<std::u16string> AssignShortNames(const std::vector<std::u16string>& names);

}  // namespace velkor::platform::sandbox
