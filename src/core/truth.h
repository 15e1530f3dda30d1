// The engine-wide truth convention: a text is true when it reads "TRUE" in any case or
// is exactly "-1"; Booleans are written "TRUE" and "FALSE".
#pragma once

#include <string>
#include <string_view>

namespace velkor::core {

bool TruthOf(std::u16string_view text);
std::u16string TruthText(bool value);

}  // namespace velkor::core
