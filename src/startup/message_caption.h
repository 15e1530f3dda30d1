// The caption of the engine's message boxes. The interpreter refreshes the settings from
// TITLE and KEVOLOGO before every statement; until it runs they are empty, which gives
// the product's own caption.
#pragma once

#include <string>

namespace velkor::startup {

struct CaptionSettings {
  std::u16string title;       // TITLE
  bool hide_product = false;  // KEVOLOGO reads "TRUE"
};

// TITLE alone when the product is hidden; otherwise TITLE + " - Velkor Wizard", or
// "Velkor Wizard" without a title.
std::u16string MessageCaption(const CaptionSettings& settings);

}  // namespace velkor::startup
