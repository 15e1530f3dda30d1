#include "platform/sandbox/command_line.h"

namespace velkor::platform::sandbox {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

bool IsSpace(char16_t c) {
  return IsBlank(c) || (c >= u'\n' && c <= u'\r');
}

// Argument 0: no escapes, a quoted program ends at the next quote whatever follows.
std::u16string TakeProgram(std::u16string_view& rest) {
  size_t end = 0;
  std::u16string program;
  if (!rest.empty() && rest[0] == u'"') {
    end = rest.find(u'"', 1);
    program = rest.substr(1, end == std::u16string_view::npos ? end : end - 1);
    end = end == std::u16string_view::npos ? rest.size() : end + 1;
  } else {
    while (end < rest.size() && !IsSpace(rest[end])) ++end;
    program = rest.substr(0, end);
  }
  rest.remove_prefix(end);
  return program;
}

// Reads a run of quotes at `rest` when `quote_count` (opening quotes seen, 0..2) says
// how quoting stands; every third quote of a run is a literal one.
void TakeQuotes(std::u16string_view& rest, int& quote_count, std::u16string& out) {
  while (!rest.empty() && rest[0] == u'"') {
    if (++quote_count == 3) {
      out += u'"';
      quote_count = 0;
    }
    rest.remove_prefix(1);
  }
  if (quote_count == 2) quote_count = 0;
}

std::u16string TakeArgument(std::u16string_view& rest) {
  std::u16string out;
  int quote_count = 0;  // 1 while inside quotes
  size_t backslashes = 0;
  while (!rest.empty() && (quote_count != 0 || !IsBlank(rest[0]))) {
    const char16_t c = rest[0];
    if (c == u'\\') {
      ++backslashes;
      out += c;
      rest.remove_prefix(1);
      continue;
    }
    if (c == u'"') {
      out.resize(out.size() - backslashes / 2);
      rest.remove_prefix(1);
      if (backslashes % 2 == 1) {
        out.back() = u'"';
      } else {
        ++quote_count;
      }
      TakeQuotes(rest, quote_count, out);
    } else {
      out += c;
      rest.remove_prefix(1);
    }
    backslashes = 0;
  }
  return out;
}

void SkipBlanks(std::u16string_view& rest) {
  while (!rest.empty() && IsBlank(rest[0])) rest.remove_prefix(1);
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line) {
  std::vector<std::u16string> arguments;
  if (command_line.empty()) return arguments;
  std::u16string_view rest = command_line;
  arguments.push_back(TakeProgram(rest));
  SkipBlanks(rest);
  while (!rest.empty()) {
    arguments.push_back(TakeArgument(rest));
    SkipBlanks(rest);
  }
  return arguments;
}

std::u16string QuoteArgument(std::u16string_view argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\n\v\r\"") == std::u16string_view::npos) {
    return std::u16string(argument);
  }
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped; others stay literal.
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, u'\\');
  quoted += u'"';
  return quoted;
}

std::u16string BuildCommandLine(std::u16string_view program,
                                const std::vector<std::u16string>& arguments) {
  std::u16string line = u"\"" + std::u16string(program) + u"\"";
  for (const std::u16string& argument : arguments) line += u' ' + QuoteArgument(argument);
  return line;
}

}  // namespace velkor::platform::sandbox
