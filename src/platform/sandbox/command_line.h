// Windows command lines: splitting one into arguments by the rules of
// CommandLineToArgvW, and building one that splits back into the same arguments.
// Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::platform::sandbox {

// Argument 0 (the program) ends at the next double quote when it starts with one, else
// at the first white space, with no escapes. Later arguments are separated by blanks and
// tabs outside quotes; 2n backslashes before a quote give n backslashes and the quote
// opens or closes quoting, 2n+1 give n backslashes and a literal quote; other
// backslashes are literal; inside quotes a doubled quote gives a literal quote.
// An empty command line gives no arguments (where Windows would substitute the
// program's own path).
std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line);

// The argument as it must be written so that SplitCommandLine reads it back: unchanged
// unless it is empty or holds blanks, tabs, line ends or quotes; then in double quotes
// with quotes and the backslashes before them escaped.
std::u16string QuoteArgument(std::u16string_view argument);

// The program in double quotes followed by the quoted arguments, blank-separated.
std::u16string BuildCommandLine(std::u16string_view program,
                                const std::vector<std::u16string>& arguments);

}  // namespace velkor::platform::sandbox
