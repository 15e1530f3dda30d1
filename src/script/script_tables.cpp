#include "script/script_tables.h"

#include <utility>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "script/compile_constants.h"
#include "script/script_error.h"
#include "script/script_format.h"

namespace velkor::script {
namespace {

// The text before and after the last field separator; the whole text is the first
// field when there is none.
std::pair<std::u16string_view, std::u16string_view> SplitFields(std::u16string_view text) {
  const size_t star = text.rfind(format::kFieldSeparator);
  if (star == std::u16string_view::npos) return {text, {}};
  return {text.substr(0, star), text.substr(star + 1)};
}

bool IsFileInstallingCommand(std::u16string_view command) {
  return command == u"Install Files" || command == u"Install Assembly" ||
         command == u"Install Service" || command == u"Install ODBC Driver";
}

}  // namespace

bool StatementTable::IsDisabled(size_t i) const {
  return core::EqualIgnoreCase(disabled_marks.at(i), format::kDisabledMark);
}

std::u16string_view StatementTable::SourceFile(size_t i) const {
  return SplitFields(source_positions.at(i)).first;
}

std::optional<int32_t> StatementTable::SourceLine(size_t i) const {
  return core::ParseInt32(SplitFields(source_positions.at(i)).second);
}

std::u16string_view StatementTable::IncludeReturnVariable(size_t i) const {
  return SplitFields(include_scopes.at(i)).first;
}

std::optional<int32_t> StatementTable::IncludeDepth(size_t i) const {
  return core::ParseInt32(SplitFields(include_scopes.at(i)).second);
}

std::optional<size_t> StatementTable::FindKey(std::u16string_view key) const {
  return keys.Find(key);
}

void MediaFileList::Append(MediaFile file) {
  by_block_[core::Lower(file.block)].push_back(files_.size());
  files_.push_back(std::move(file));
}

std::vector<size_t> MediaFileList::OfBlock(std::u16string_view block) const {
  const auto found = by_block_.find(core::Lower(block));
  return found == by_block_.end() ? std::vector<size_t>{} : found->second;
}

InstallMap InstallMap::FromLines(const std::vector<std::u16string>& lines) {
  InstallMap map;
  InstallMapGroup group;
  bool in_group = false;
  for (size_t i = 0; i < lines.size(); i += 2) {
    const std::u16string& second = i + 1 < lines.size() ? lines[i + 1] : std::u16string();
    if (second == format::kGroupMarker) {
      if (in_group) map.Append(std::move(group));
      group = InstallMapGroup{lines[i], {}};
      in_group = true;
    } else if (in_group) {
      group.files.emplace_back(lines[i], second);
    }
  }
  if (in_group) map.Append(std::move(group));
  return map;
}

void InstallMap::Append(InstallMapGroup group) {
  headers_.Append(group.header);
  groups_.push_back(std::move(group));
}

const InstallMapGroup* InstallMap::Find(std::u16string_view header) const {
  const std::optional<size_t> found = headers_.Find(header);
  return found ? &groups_[*found] : nullptr;
}

ScriptTables::ScriptTables(ScriptData data) : data_(std::move(data)) {
  parameter_tables_.push_back(std::move(data_.parameters));
  data_.parameters = IndexedLines();
}

std::u16string ScriptTables::GetStatementParam(std::u16string_view key, int32_t n) const {
  if (n < 0) return {};
  for (const IndexedLines& table : parameter_tables_) {
    const std::optional<size_t> found = table.Find(key);
    if (!found) continue;
    const size_t offset = static_cast<size_t>(n);
    if (offset >= table.size() - *found) return {};  // past the end of the table
    return std::u16string(table.at(*found + offset));
  }
  return {};
}

std::u16string ScriptTables::StatementParam(size_t index, int32_t n) const {
  if (index >= data_.statements.keys.size()) return {};
  return GetStatementParam(data_.statements.Key(index), n);
}

void ScriptTables::AddParameterTable(IndexedLines table) {
  parameter_tables_.push_back(std::move(table));
}

const std::u16string& ScriptTables::Publisher(PublisherText which) const {
  return data_.publisher[static_cast<size_t>(which)];
}

std::u16string ScriptTables::WebMediaKey(std::u16string_view block) const {
  const std::optional<size_t> found = data_.web_media_keys.Find(block);
  return found ? data_.web_media_keys.value(*found) : std::u16string();
}

int64_t ScriptTables::ComponentSize(std::u16string_view name) const {
  const std::optional<size_t> found = data_.component_sizes.Find(name);
  return found ? data_.component_sizes.value(*found) : 0;
}

void ScriptTables::AddComponentSize(std::u16string_view name, int64_t size) {
  data_.component_sizes.Append(name, size);
}

std::u16string ScriptTables::CommandHeader(size_t index, bool tolerant,
                                           bool native_engine_selected) const {
  if (native_engine_selected && !IsFileInstallingCommand(data_.statements.Command(index))) {
    return {};
  }
  std::u16string header;
  const std::optional<size_t> found =
      data_.command_headers.Find(core::DecimalText(static_cast<uint64_t>(index)));
  if (found && *found > 0) header = data_.command_headers.at(*found - 1);
  if (header.empty() && !tolerant) {
    throw ScriptError(u"Unable to obtain command headers. Please rebuild your project.");
  }
  return header;
}

std::u16string ScriptTables::ExpandCompileConstants(std::u16string_view text) const {
  return script::ExpandCompileConstants(data_.constants, text);
}

}  // namespace velkor::script
