#include "core/truth.h"

#include "core/case_mapping.h"

namespace velkor::core {

bool TruthOf(std::u16string_view text) {
  return text == u"-1" || EqualIgnoreCase(text, u"TRUE");
}

std::u16string TruthText(bool value) {
  return value ? u"TRUE" : u"FALSE";
}

}  // namespace velkor::core
