// The line form of the files "Read from Text File" and "Write to Text File" work on:
// UTF-8 read with an optional byte-order mark, written with one, CR LF line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::interpreter {

// CR LF, LF and a lone CR each end a line; a line break at the very end adds no empty
// line, so an empty file has no lines.
std::vector<std::u16string> DecodeTextLines(std::string_view bytes);

// UTF-8 with a byte-order mark, every line followed by CR LF.
std::string EncodeTextLines(const std::vector<std::u16string>& lines);

}  // namespace velkor::interpreter
