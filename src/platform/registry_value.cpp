#include <cstring>

#include "core/text.h"
#include "platform/registry.h"

namespace velkor::platform {
namespace {

std::string LittleEndian(uint64_t value, int bytes) {
  std::string out;
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
  return out;
}

uint64_t ReadLittleEndian(std::string_view data, size_t bytes) {
  uint64_t value = 0;
  for (size_t k = 0; k < bytes && k < data.size(); ++k) {
    value |= uint64_t(static_cast<unsigned char>(data[k])) << (8 * k);
  }
  return value;
}

bool IsStringType(RegistryType type) {
  return type == RegistryType::kString || type == RegistryType::kExpandString;
}

}  // namespace

RegistryValue RegistryValue::String(std::u16string_view text, RegistryType type) {
  std::u16string terminated(text);
  terminated.push_back(0);
  return {type, core::ToUtf16LeBytes(terminated)};
}

RegistryValue RegistryValue::Dword(uint32_t value) {
  return {RegistryType::kDword, LittleEndian(value, 4)};
}

RegistryValue RegistryValue::Qword(uint64_t value) {
  return {RegistryType::kQword, LittleEndian(value, 8)};
}

RegistryValue RegistryValue::Binary(std::string_view bytes) {
  return {RegistryType::kBinary, std::string(bytes)};
}

RegistryValue RegistryValue::MultiString(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text.push_back(0);
  }
  text.push_back(0);
  return {RegistryType::kMultiString, core::ToUtf16LeBytes(text)};
}

std::u16string RegistryValue::AsString() const {
  if (!IsStringType(type)) return {};
  std::u16string text = core::FromUtf16LeBytes(data);
  const size_t nul = text.find(char16_t(0));
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

uint32_t RegistryValue::AsDword() const {
  if (type != RegistryType::kDword) return 0;
  return static_cast<uint32_t>(ReadLittleEndian(data, 4));
}

uint64_t RegistryValue::AsQword() const {
  if (type != RegistryType::kQword && type != RegistryType::kDword) return 0;
  return ReadLittleEndian(data, 8);
}

std::vector<std::u16string> RegistryValue::AsMultiString() const {
  std::vector<std::u16string> lines;
  if (type != RegistryType::kMultiString) return lines;
  const std::u16string text = core::FromUtf16LeBytes(data);
  size_t start = 0;
  while (start < text.size()) {
    size_t nul = text.find(char16_t(0), start);
    if (nul == std::u16string::npos) nul = text.size();
    if (nul == start) break;  // the empty line that ends the list
    lines.push_back(text.substr(start, nul - start));
    start = nul + 1;
  }
  return lines;
}

}  // namespace velkor::platform
