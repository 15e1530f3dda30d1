// How "For Each" walks its list text: items between separators, empty items passed over.
#pragma once

#include <string_view>

#include "interpreter/interpreter_state.h"

namespace velkor::interpreter {

// The next item of the entry's list, advancing past it; the empty text when the list
// is done. Leading separators are passed over, so empty items never come back; a
// separator may be several characters; an empty separator yields the whole list as one
// item. Each call costs the length of the item and the separators before it, so a long
// list is walked in linear time. The view is valid until the entry changes.
std::u16string_view TakeNextItem(ForEachEntry& entry);

}  // namespace velkor::interpreter
