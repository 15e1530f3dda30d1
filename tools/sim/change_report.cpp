#include "change_report.h"

#include <cstdio>

#include "core/text.h"

namespace velkor::sim {
namespace {

using platform::RegistryType;

const char* KindWord(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::kAdded:
      return "added";
    case ChangeKind::kChanged:
      return "changed";
    case ChangeKind::kRemoved:
      return "removed";
  }
  return "";
}

const char* KindMark(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::kAdded:
      return "+";
    case ChangeKind::kChanged:
      return "~";
    case ChangeKind::kRemoved:
      return "-";
  }
  return "";
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out + "\"";
}

std::string Utf8(const std::u16string& text) {
  return core::Utf16ToUtf8(text);
}

std::string ValueName(const std::u16string& name) {
  return name.empty() ? "(Default)" : Utf8(name);
}

const char* TypeName(RegistryType type) {
  switch (type) {
    case RegistryType::kString:
      return "REG_SZ";
    case RegistryType::kExpandString:
      return "REG_EXPAND_SZ";
    case RegistryType::kBinary:
      return "REG_BINARY";
    case RegistryType::kDword:
      return "REG_DWORD";
    case RegistryType::kMultiString:
      return "REG_MULTI_SZ";
    case RegistryType::kQword:
      return "REG_QWORD";
    case RegistryType::kNone:
      return "REG_NONE";
  }
  return "REG_UNKNOWN";
}

}  // namespace

std::string DescribeRegistryValue(const platform::RegistryValue& value) {
  std::string out = TypeName(value.type);
  out.push_back(' ');
  switch (value.type) {
    case RegistryType::kString:
    case RegistryType::kExpandString:
      return out + JsonString(Utf8(value.AsString()));
    case RegistryType::kDword:
    case RegistryType::kQword: {
      char buffer[64];
      const unsigned long long number =
          value.type == RegistryType::kDword ? value.AsDword() : value.AsQword();
      std::snprintf(buffer, sizeof buffer, "0x%llx (%llu)", number, number);
      return out + buffer;
    }
    case RegistryType::kMultiString: {
      std::string lines;
      for (const auto& line : value.AsMultiString())
        lines += (lines.empty() ? "" : ", ") + JsonString(Utf8(line));
      return out + "[" + lines + "]";
    }
    default:
      return out + "[" + Hex(value.data) + "]";
  }
}

std::string FormatReportText(uint32_t exit_code, const ChangeReport& report) {
  std::string out = "exit code: " + std::to_string(exit_code) + "\n";
  if (report.empty()) return out + "no changes\n";
  if (!report.folders.empty()) {
    out += "folders:\n";
    for (const auto& c : report.folders)
      out += std::string("  ") + KindMark(c.kind) + " " + Utf8(c.path) + "\n";
  }
  if (!report.files.empty()) {
    out += "files:\n";
    for (const auto& c : report.files) {
      const uint64_t size = c.kind == ChangeKind::kRemoved ? c.before.size : c.after.size;
      out += std::string("  ") + KindMark(c.kind) + " " + Utf8(c.path) + " (" +
             std::to_string(size) + " bytes)\n";
    }
  }
  if (!report.registry_keys.empty()) {
    out += "registry keys:\n";
    for (const auto& c : report.registry_keys)
      out += std::string("  ") + KindMark(c.kind) + " " + Utf8(c.key) + "\n";
  }
  if (!report.registry_values.empty()) {
    out += "registry values:\n";
    for (const auto& c : report.registry_values) {
      out += std::string("  ") + KindMark(c.kind) + " " + Utf8(c.key) + " : " + ValueName(c.name);
      if (c.kind == ChangeKind::kChanged) {
        out += " = " + DescribeRegistryValue(c.before) + " -> " + DescribeRegistryValue(c.after);
      } else {
        out += " = " + DescribeRegistryValue(c.kind == ChangeKind::kRemoved ? c.before : c.after);
      }
      out += "\n";
    }
  }
  return out;
}

std::string FormatReportJson(uint32_t exit_code, const ChangeReport& report) {
  std::string out = "{\n  \"exit_code\": " + std::to_string(exit_code) + ",\n  \"folders\": [";
  const char* sep = "";
  for (const auto& c : report.folders) {
    out += std::string(sep) + "\n    {\"change\": \"" + KindWord(c.kind) +
           "\", \"path\": " + JsonString(Utf8(c.path)) + "}";
    sep = ",";
  }
  out += "\n  ],\n  \"files\": [";
  sep = "";
  for (const auto& c : report.files) {
    const uint64_t size = c.kind == ChangeKind::kRemoved ? c.before.size : c.after.size;
    out += std::string(sep) + "\n    {\"change\": \"" + KindWord(c.kind) +
           "\", \"path\": " + JsonString(Utf8(c.path)) + ", \"size\": " + std::to_string(size) +
           "}";
    sep = ",";
  }
  out += "\n  ],\n  \"registry_keys\": [";
  sep = "";
  for (const auto& c : report.registry_keys) {
    out += std::string(sep) + "\n    {\"change\": \"" + KindWord(c.kind) +
           "\", \"key\": " + JsonString(Utf8(c.key)) + "}";
    sep = ",";
  }
  out += "\n  ],\n  \"registry_values\": [";
  sep = "";
  for (const auto& c : report.registry_values) {
    out += std::string(sep) + "\n    {\"change\": \"" + KindWord(c.kind) +
           "\", \"key\": " + JsonString(Utf8(c.key)) + ", \"name\": " + JsonString(Utf8(c.name));
    if (c.kind != ChangeKind::kAdded)
      out += ", \"before\": " + JsonString(DescribeRegistryValue(c.before));
    if (c.kind != ChangeKind::kRemoved)
      out += ", \"after\": " + JsonString(DescribeRegistryValue(c.after));
    out += "}";
    sep = ",";
  }
  return out + "\n  ]\n}\n";
}

}  // namespace velkor::sim
