#include "value_syntax.h"

namespace velkor::build {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<SourceLine> SplitLines(std::string_view bytes, const std::string& file) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<SourceLine> lines;
  int number = 0;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos)
      throw BuildError({file, number}, "carriage return inside a line");
    lines.push_back({number, std::string(line)});
  }
  return lines;
}

bool IsBlankOrComment(std::string_view line) {
  line = Trim(line);
  return line.empty() || line.front() == '#';
}

namespace {

std::string ReadQuoted(std::string_view line, size_t& pos, const SourcePlace& place) {
  std::string value;
  ++pos;  // opening quote
  for (;;) {
    if (pos >= line.size()) throw BuildError(place, "missing closing double quote");
    if (line[pos] == '"') {
      if (pos + 1 < line.size() && line[pos + 1] == '"') {
        value.push_back('"');
        pos += 2;
        continue;
      }
      ++pos;
      return value;
    }
    value.push_back(line[pos++]);
  }
}

}  // namespace

std::string ReadValue(std::string_view line, size_t& pos, std::string_view stops,
                      const SourcePlace& place) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos < line.size() && line[pos] == '"') {
    std::string value = ReadQuoted(line, pos, place);
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos < line.size() && stops.find(line[pos]) == std::string_view::npos)
      throw BuildError(place, "unexpected text after a closing double quote: '" +
                                  std::string(line.substr(pos)) + "'");
    return value;
  }
  const size_t start = pos;
  while (pos < line.size() && stops.find(line[pos]) == std::string_view::npos) {
    if (line[pos] == '"')
      throw BuildError(place,
                       "double quote inside an unquoted value; put the whole value in "
                       "double quotes and double each quote inside it");
    ++pos;
  }
  return std::string(Trim(line.substr(start, pos - start)));
}

std::vector<std::string> ReadValueList(std::string_view text, char separator,
                                       const SourcePlace& place) {
  std::vector<std::string> values;
  const std::string stops(1, separator);
  size_t pos = 0;
  for (;;) {
    values.push_back(ReadValue(text, pos, stops, place));
    if (pos >= text.size()) return values;
    ++pos;  // separator
  }
}

namespace {

bool NeedsQuotes(std::string_view text, std::string_view stops, bool line_start) {
  if (text.empty() || IsBlank(text.front()) || IsBlank(text.back())) return true;
  if (line_start && (text.front() == '#' || text.front() == '[')) return true;
  for (unsigned char c : text)
    if (c == '"' || c < 0x20 || c == 0x7F || stops.find(char(c)) != std::string_view::npos)
      return true;
  return false;
}

}  // namespace

std::string WriteValue(std::string_view text, std::string_view stops, bool line_start) {
  if (!NeedsQuotes(text, stops, line_start)) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace velkor::build
