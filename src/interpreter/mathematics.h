// "Mathematics": signed 64-bit integer arithmetic on decimal texts, character codes and
// the run's small random generator, apart from the statement.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/interpreter_state.h"

namespace velkor::interpreter {

enum class MathOperation : int32_t {
  kAdd = 0,
  kSubtract = 1,
  kMultiply = 2,
  kDivide = 3,     // truncated toward zero
  kRemainder = 4,  // with the sign of A
  kAnd = 5,
  kOr = 6,
  kXor = 7,
  kShiftLeft = 8,
  kShiftRight = 9,  // zero-filled
  kNot = 10,
  kCharacterCode = 11,  // of the first character of A's text
  kCharacter = 12,      // the character whose code is A
  kSeedGenerator = 13,  // multiplier := A, increment := B; gives A + B
  kSetSeed = 14,        // seed := A; gives the seed
  kNextRandom = 15,     // the next generator value T; gives T mod A
};

// The result of `operation` ("0" .. "15") on the decimal texts `a` and `b`; nullopt when
// the operation is unknown, an operand it reads is not a 64-bit decimal integer, or the
// result is undefined: division or remainder by zero, the quotient of the smallest
// value by -1, a shift by a negative count, a character code outside 0..65535, the first
// character of an empty text. Sums, differences and products wrap around in 64 bits;
// shifts by 64 or more bits give 0. B is read by operations 0 to 9 and 13 only, and A
// by every one but 11, which reads `a` as text. 13 to 15 keep their state in `random`.
std::optional<std::u16string> Calculate(std::u16string_view operation, std::u16string_view a,
                                        std::u16string_view b, RandomGeneratorState& random);

}  // namespace velkor::interpreter
