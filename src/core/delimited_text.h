// The two delimited list forms in which lists of texts are passed and stored:
//  - comma text (items separated by commas), the form of variable lists;
//  - list text (items separated by vertical bars), the form of result lists.
// An item that needs it is written between double quotes with inner quotes doubled.
// When reading, blanks and control characters outside quotes also separate items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::core {

std::u16string ToCommaText(const std::vector<std::u16string>& items);
std::vector<std::u16string> FromCommaText(std::u16string_view text);

std::u16string ToListText(const std::vector<std::u16string>& items);
std::vector<std::u16string> FromListText(std::u16string_view text);

// The general form behind both.
std::u16string ToDelimitedText(const std::vector<std::u16string>& items, char16_t delimiter);
std::vector<std::u16string> FromDelimitedText(std::u16string_view text, char16_t delimiter);

}  // namespace velkor::core
