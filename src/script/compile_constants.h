// Compile-time constants: (name, value) pairs that the build tool writes into the
// script, referred to in texts as a name between two number signs ("#LOCMODE#").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "script/line_table.h"

namespace velkor::script {

// Longest text an expansion may produce; a pass that would go beyond it ends the
// expansion with the text before that pass. Switch texts are a few characters long, so
// only constants that multiply themselves can reach it.
inline constexpr size_t kMaxExpandedConstantLength = size_t{1} << 20;

// A text without "#" comes back unchanged. Otherwise one pass replaces, for every
// constant in table order, each occurrence of "#" + name + "#" (ignoring case) by the
// value; passes repeat while the result still holds "#" and differs from the pass's
// input. Constants that refer to each other (A = "#B#", B = "#A#") or to themselves
// through a longer text (A = "x#A#") would repeat forever, so the expansion also ends
//  - when a pass gives a text an earlier pass already gave (a cycle), with that text;
//  - after (number of constants + 2) passes: a chain of references through distinct
//    constants needs at most one pass per constant, plus one that finds nothing left,
//    so only self-referring constants get this far;
//  - before a pass whose result would exceed kMaxExpandedConstantLength.
std::u16string ExpandCompileConstants(const KeyedPairs<std::u16string>& constants,
                                      std::u16string_view text);

}  // namespace velkor::script
