// The stored form of a web media block's archive password. The engine unscrambles a
// stored text by reading hexadecimal pairs, XOR-ing the k-th character with k and
// reading the result again as hexadecimal pairs with their digits swapped; Scramble is
// its inverse.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "script/compiled_script.h"

namespace velkor::build {

// nullopt when the password cannot be stored: a character above U+00FF, or more than
// 128 characters (the XOR of a position past 255 no longer fits one pair).
std::optional<std::u16string> ScrambleWebMediaKey(std::u16string_view password);

// nullopt when a pair is not hexadecimal.
std::optional<std::u16string> UnscrambleWebMediaKey(std::u16string_view stored);

// The archive password of a web media block: its own key, else the key of "offline",
// unscrambled; empty without either.
std::u16string WebMediaPassword(const script::CompiledScript& script, std::u16string_view block);

}  // namespace velkor::build
