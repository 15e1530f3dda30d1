#include "interpreter/text_file_lines.h"

#include "core/text.h"

namespace velkor::interpreter {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::vector<std::u16string> DecodeTextLines(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  return core::TextLines(core::Utf8ToUtf16(bytes));
}

std::string EncodeTextLines(const std::vector<std::u16string>& lines) {
  std::string bytes(kUtf8Bom);
  for (const std::u16string& line : lines) bytes.append(core::Utf16ToUtf8(line)).append("\r\n");
  return bytes;
}

}  // namespace velkor::interpreter
