#include "script/script_error.h"

#include <utility>

#include "core/text.h"

namespace velkor::script {

ScriptError::ScriptError(std::u16string message)
    : message_(std::move(message)), utf8_(core::Utf16ToUtf8(message_)) {}

}  // namespace velkor::script
