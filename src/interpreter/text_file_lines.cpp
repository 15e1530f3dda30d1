#include "interpreter/text_file_lines.h"

#include "core/text.h"

namespace velkor::interpreter {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::vector<std::u16string> DecodeTextLines(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  const std::u16string text = core::Utf8ToUtf16(bytes);
  std::vector<std::u16string> lines;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", from);
    if (end == std::u16string::npos) {
      lines.push_back(text.substr(from));
      break;
    }
    lines.push_back(text.substr(from, end - from));
    from = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::string EncodeTextLines(const std::vector<std::u16string>& lines) {
  std::string bytes(kUtf8Bom);
  for (const std::u16string& line : lines) bytes.append(core::Utf16ToUtf8(line)).append("\r\n");
  return bytes;
}

}  // namespace velkor::interpreter
