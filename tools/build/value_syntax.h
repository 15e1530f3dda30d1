// The lexical rules shared by every readable project file (project file, scripts,
// language strings): UTF-8 lines, '#' comment lines, and values that are either bare
// (trimmed text without double quotes) or quoted ("..." with "" standing for one
// double quote). Quoting makes every text that fits on one line representable: blanks
// at either end, separators, an empty text, a lone "$".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "build_error.h"

namespace velkor::build {

struct SourceLine {
  int number = 0;  // 1-based
  std::string text;
};

// Splits a file into lines: a leading byte-order mark is skipped, lines end with LF or
// CR LF. A lone CR inside a line is an error, since no value may hold a line break.
std::vector<SourceLine> SplitLines(std::string_view bytes, const std::string& file);

// Blank lines and lines whose first non-blank character is '#'.
bool IsBlankOrComment(std::string_view line);

bool IsBlank(char c);
std::string_view Trim(std::string_view text);

// Reads one value starting at `pos` (leading blanks skipped). A bare value runs up to
// the first character of `stops` or the end of the line and is trimmed; it may not
// contain a double quote. A quoted value must be followed, after optional blanks, by a
// character of `stops` or the end of the line. On return `pos` is at that character
// (or the end).
std::string ReadValue(std::string_view line, size_t& pos, std::string_view stops,
                      const SourcePlace& place);

// Splits `text` at `separator` into values (each bare or quoted). An empty text gives
// one empty value.
std::vector<std::string> ReadValueList(std::string_view text, char separator,
                                       const SourcePlace& place);

// Writes a value so that ReadValue gives it back: bare when that is unambiguous, else
// quoted. `stops` are the characters that end a bare value in this position;
// `line_start` also quotes values that would read as a comment or an attribute.
std::string WriteValue(std::string_view text, std::string_view stops, bool line_start = false);

}  // namespace velkor::build
