// Wizard navigation: how a dialog's result steers a wizard loop and what word the
// script reads for it. The stepping itself is NavigateWizard (control_flow.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "interpreter/dialog_host.h"

namespace velkor::interpreter {

// +1 next, -1 back, 0 leave the loop; other results keep the direction.
int DirectionAfter(int32_t result_code, int direction);

// "NOTMODAL", "CANCEL", "NEXT", "BACK", or the closing control's name upper-cased;
// nullopt for a code without a word.
std::optional<std::u16string> ResultWord(const ShowResult& result);

}  // namespace velkor::interpreter
