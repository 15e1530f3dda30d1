// FindFirstFile's name matching, case-insensitive. Before matching, Windows rewrites a
// pattern: "*.*" becomes "*"; "?" matches one character but none at a dot or at the end
// ("a?.txt" matches "a.txt"); "*" before a "." cannot swallow the name's last dot
// ("*.txt" does not match "a.txt.bak"); a "." before a wildcard or at the end also
// matches the end of the name ("file.*" matches "file", "*." matches names without an
// extension). Pure; thread-safe.
#pragma once

#include <string_view>

namespace velkor::platform::sandbox {

bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name);

}  // namespace velkor::platform::sandbox
