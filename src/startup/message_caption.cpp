#include "startup/message_caption.h"

namespace velkor::startup {

std::u16string MessageCaption(const CaptionSettings& settings) {
  constexpr std::u16string_view kProductCaption = u"Velkor Wizard";
  if (settings.hide_product) return settings.title;
  if (settings.title.empty()) return std::u16string(kProductCaption);
  return settings.title + u" - " + std::u16string(kProductCaption);
}

}  // namespace velkor::startup
