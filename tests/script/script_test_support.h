// Helpers for the script tests: compiled scripts built in code, an in-memory file
// system behind the platform seam, and small synthetic PE images.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/text.h"
#include "platform/file_system.h"
#include "script/compiled_script.h"
#include "script/script_parser.h"
#include "script/script_text_writer.h"

namespace velkor::script::testing {

// A braced key text unique to the statement index.
inline std::u16string KeyOf(size_t index) {
  std::u16string digits = core::DecimalText(static_cast<uint64_t>(index));
  return u"{00000000-0000-0000-0000-" + std::u16string(12 - digits.size(), u'0') + digits + u"}";
}

inline ScriptStatement Statement(std::u16string command,
                                 std::vector<std::u16string> parameters = {},
                                 bool disabled = false) {
  ScriptStatement s;
  s.command = std::move(command);
  s.parameters = std::move(parameters);
  s.disabled = disabled;
  s.source_file = u"C:\\Project\\main.vxs";
  s.include_return_variable = u"0";
  return s;
}

inline ScriptStatement Disabled(std::u16string command,
                                std::vector<std::u16string> parameters = {}) {
  return Statement(std::move(command), std::move(parameters), true);
}

// Gives every statement its key and source line.
inline CompiledScript ScriptOf(std::vector<ScriptStatement> statements) {
  CompiledScript script;
  for (size_t i = 0; i < statements.size(); ++i) {
    statements[i].key = KeyOf(i);
    statements[i].source_line = static_cast<int32_t>(i);
  }
  script.statements = std::move(statements);
  return script;
}

// Written and read back, as the engine would see it.
inline ScriptTables TablesOf(const CompiledScript& script) {
  ScriptLoadResult result = ParseScriptText(WriteScriptText(script));
  if (!result.ok()) throw std::runtime_error("script did not load");
  return result.TakeTables();
}

// Files in memory, keyed by their lower-cased path; optional failures per operation.
class MemoryFileSystem : public platform::FileSystem {
 public:
  std::map<std::u16string, std::string> files;
  bool fail_writes = false;
  bool fail_reads = false;
  std::vector<std::u16string> written;  // every path WriteFile was called with, in order
  std::vector<std::u16string> deleted;

  void Put(std::u16string_view path, std::string bytes) {
    files[core::Lower(path)] = std::move(bytes);
  }
  bool Has(std::u16string_view path) const { return files.contains(core::Lower(path)); }

  bool FileExists(std::u16string_view path) override { return Has(path); }
  bool FolderExists(std::u16string_view) override { return true; }
  platform::Result<uint32_t> GetAttributes(std::u16string_view path) override {
    if (!Has(path)) return NotFound();
    return platform::attribute::kNormal;
  }
  platform::Status SetAttributes(std::u16string_view, uint32_t) override { return {}; }
  platform::Status CreateFolder(std::u16string_view) override { return {}; }
  platform::Status RemoveFolder(std::u16string_view) override { return {}; }
  platform::Status DeleteFile(std::u16string_view path) override {
    deleted.emplace_back(path);
    return files.erase(core::Lower(path)) ? platform::Status() : NotFound();
  }
  platform::Status CopyFile(std::u16string_view, std::u16string_view, bool) override {
    return Unsupported();
  }
  platform::Status MoveFile(std::u16string_view, std::u16string_view, bool) override {
    return Unsupported();
  }
  platform::Result<std::vector<platform::FoundFile>> FindFiles(std::u16string_view) override {
    return Unsupported();
  }
  platform::Result<std::string> ReadFile(std::u16string_view path) override {
    if (fail_reads || !Has(path)) return NotFound();
    return files.at(core::Lower(path));
  }
  platform::Status WriteFile(std::u16string_view path, std::string_view bytes) override {
    written.emplace_back(path);
    if (fail_writes) return platform::Status::Failure(platform::error::kDiskFull, u"disk full");
    Put(path, std::string(bytes));
    return {};
  }
  platform::Status AppendFile(std::u16string_view, std::string_view) override {
    return Unsupported();
  }
  platform::Result<uint64_t> FileSize(std::u16string_view path) override {
    if (!Has(path)) return NotFound();
    return files.at(core::Lower(path)).size();
  }
  std::u16string TempFolder() override { return u"C:\\Temp\\"; }
  platform::Result<std::u16string> CreateTempFile(std::u16string_view,
                                                  std::u16string_view) override {
    return Unsupported();
  }
  platform::Result<std::u16string> ShortPath(std::u16string_view) override { return Unsupported(); }
  platform::Result<std::u16string> LongPath(std::u16string_view) override { return Unsupported(); }

 private:
  static platform::Status NotFound() {
    return platform::Status::Failure(platform::error::kFileNotFound, u"file not found");
  }
  static platform::Status Unsupported() {
    return platform::Status::Failure(platform::error::kNotSupported, u"not supported");
  }
};

struct PeSection {
  uint32_t raw_pointer;
  uint32_t raw_size;
};

inline void Put16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

// A minimal image: DOS header, "PE\0\0" at 0x80, the file header, an optional header of
// the given size (224 for PE32, 240 for PE32+), the section headers, and the raw data
// of the sections filled with 0xCC up to the largest section end.
inline std::string PeImage(uint16_t optional_header_size, const std::vector<PeSection>& sections) {
  constexpr size_t kPe = 0x80;
  const size_t table = kPe + 4 + 20 + optional_header_size;
  size_t end = table + sections.size() * 40;
  for (const PeSection& s : sections)
    end = std::max<size_t>(end, size_t{s.raw_pointer} + s.raw_size);
  std::string bytes(end, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  Put32(bytes, 0x3C, kPe);
  bytes.replace(kPe, 4, std::string("PE\0\0", 4));
  Put16(bytes, kPe + 4, optional_header_size == 240 ? 0x8664 : 0x14C);
  Put16(bytes, kPe + 6, static_cast<uint32_t>(sections.size()));
  Put16(bytes, kPe + 20, optional_header_size);
  Put16(bytes, kPe + 24, optional_header_size == 240 ? 0x20B : 0x10B);
  for (size_t i = 0; i < sections.size(); ++i) {
    const size_t header = table + i * 40;
    bytes.replace(header, 5, ".sec" + std::to_string(i % 10));
    Put32(bytes, header + 16, sections[i].raw_size);
    Put32(bytes, header + 20, sections[i].raw_pointer);
    std::fill_n(bytes.begin() + sections[i].raw_pointer, sections[i].raw_size, '\xCC');
  }
  return bytes;
}

}  // namespace velkor::script::testing

namespace velkor::script::testing {

// Everything the tables hold, one item per line, for comparing two loads.
inline std::u16string Dump(const ScriptTables& t) {
  std::u16string out;
  auto line = [&out](std::u16string_view text) { out.append(text).append(u"\n"); };
  const StatementTable& s = t.statements();
  for (size_t i = 0; i < s.size(); ++i) {
    for (auto text : {s.Command(i), s.Key(i), s.disabled_marks.at(i), s.MediaFolder(i),
                      s.SourcePosition(i), s.IncludeScope(i)}) {
      line(text);
    }
    for (int32_t n = 1; n <= 4; ++n) line(t.StatementParam(i, n));
  }
  line(t.ProductCode());
  line(t.ProductTitle());
  for (size_t i = 0; i < t.PluginCommands().size(); ++i) line(t.PluginCommands()[i]);
  for (int p = 0; p < 6; ++p) line(t.Publisher(static_cast<PublisherText>(p)));
  for (size_t i = 0; i < t.WebMediaKeys().size(); ++i) {
    line(t.WebMediaKeys().name(i));
    line(t.WebMediaKeys().value(i));
  }
  line(core::DecimalText(t.BuildMode()));
  for (size_t i = 0; i < t.ComponentSizes().size(); ++i) {
    line(t.ComponentSizes().name(i));
    line(core::DecimalText(t.ComponentSizes().value(i)));
  }
  line(t.RevisionCode());
  for (size_t i = 0; i < t.MediaFiles().size(); ++i) {
    line(t.MediaFiles().at(i).block);
    line(t.MediaFiles().at(i).path);
    line(t.MediaFiles().at(i).payload_folder);
  }
  line(t.LanguagePrompt() ? u"TRUE" : u"FALSE");
  line(t.DefaultLanguage());
  for (size_t i = 0; i < t.CommandHeaders().size(); ++i) line(t.CommandHeaders()[i]);
  for (size_t i = 0; i < t.CompileConstants().size(); ++i) {
    line(t.CompileConstants().name(i));
    line(t.CompileConstants().value(i));
  }
  line(core::DecimalText(t.CodePage()));
  line(core::DecimalText(t.PayloadTotal()));
  for (size_t g = 0; g < t.GetInstallMap().size(); ++g) {
    line(t.GetInstallMap().at(g).header);
    for (const auto& [path, target] : t.GetInstallMap().at(g).files) {
      line(path);
      line(target);
    }
  }
  return out;
}

}  // namespace velkor::script::testing
