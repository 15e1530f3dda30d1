// Fuzzes the text work of the interpreter's commands: expressions (with variables whose
// values come from the input), mathematics, replacing, splitting, For Each items and
// path parts. Besides crashes and hangs it checks the promises the commands make:
// expressions give one of three words, expressions without references agree with the
// script check's syntax test, For Each walks a list in a bounded number of steps, and
// replacing cannot grow a text beyond one replacement per searched position.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "interpreter/expression_evaluation.h"
#include "interpreter/expression_syntax.h"
#include "interpreter/for_each_items.h"
#include "interpreter/mathematics.h"
#include "interpreter/path_text.h"
#include "interpreter/string_operations.h"
#include "script/script_error.h"

namespace {

using namespace velkor;

// The input as up to eight UTF-16 fields separated by NUL bytes.
std::vector<std::u16string> Fields(const uint8_t* data, size_t size) {
  std::vector<std::u16string> fields;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (fields.size() < 7) {
    const size_t end = rest.find('\0');
    fields.push_back(core::Utf8ToUtf16(rest.substr(0, end)));
    if (end == std::string_view::npos) {
      rest = {};
      break;
    }
    rest.remove_prefix(end + 1);
  }
  fields.push_back(core::Utf8ToUtf16(rest));
  fields.resize(8);
  return fields;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckExpression(const std::u16string& expression, const std::u16string& value) {
  const std::map<std::u16string, std::u16string> variables = {{u"A", value}, {u"B", u"10"}};
  const auto value_of = [&variables](std::u16string_view name) -> std::optional<std::u16string> {
    const auto found = variables.find(std::u16string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
  try {
    const std::u16string word = interpreter::EvaluateExpression(expression, value_of);
    Require(word == u"TRUE" || word == u"FALSE" || word == u"ERROR");
    if (expression.find(u'$') == std::u16string::npos) {
      Require((word == u"ERROR") == !interpreter::IsValidExpressionSyntax(expression));
    }
  } catch (const script::ScriptError&) {
    // An integer beyond 32 bits: the defined runtime error.
  }
}

void CheckForEach(const std::u16string& list, const std::u16string& separator) {
  interpreter::ForEachEntry entry{u"ITEM", list, separator};
  size_t steps = 0;
  while (!interpreter::TakeNextItem(entry).empty()) {
    ++steps;
    Require(steps <= list.size() + 1);
  }
}

void CheckReplace(const std::u16string& text, const std::u16string& search,
                  const std::u16string& replacement) {
  const std::u16string replaced = interpreter::ReplaceText(text, search, replacement, true, true);
  if (search.empty()) {
    Require(replaced == text);
    return;
  }
  Require(replaced.size() <= text.size() + (text.size() / search.size() + 1) * replacement.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::u16string> f = Fields(data, size);
  CheckExpression(f[0], f[1]);
  interpreter::RandomGeneratorState random;
  for (const char16_t* op : {u"0", u"2", u"3", u"4", u"8", u"9", u"11", u"12", u"13", u"15"}) {
    interpreter::Calculate(op, f[2], f[3], random);
  }
  CheckForEach(f[4], f[5]);
  CheckReplace(f[4], f[5], f[6]);
  for (int32_t mode = 0; mode <= 3; ++mode) {
    interpreter::SplitText(f[4], f[5], mode, (mode & 1) != 0, true);
  }
  for (int32_t part = 0; part <= 6; ++part) interpreter::ExtractPathPart(f[7], part);
  interpreter::ReplaceBackslashPairs(f[7]);
  interpreter::LineBreaksToMarkers(f[7]);
  return 0;
}
