// The loaded setup script: the statement table and the script-wide tables, with the
// lookups every other subsystem uses to read the script.
//
// Ownership: the start-up sequence owns the one ScriptTables of a run (returned by the
// loader) and frees it after the interpreter has returned; everyone else borrows it.
// Threads: after the load the tables are read-only and may be read from any thread,
// except two things only the interpreter's thread writes while no worker reads them:
// the component size table ("Define Component") and the change marks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/compiled_script.h"
#include "script/line_table.h"

namespace velkor::script {

// Parallel lists, one entry per statement; an entry past the end of a shorter list
// reads as empty. The number of statements is the number of command names.
struct StatementTable {
  LineList commands;
  IndexedLines keys;
  LineList disabled_marks;
  LineList media_folders;
  LineList source_positions;  // file*line
  LineList include_scopes;    // return variable*depth

  size_t size() const { return commands.size(); }
  std::u16string_view Command(size_t i) const { return commands.at(i); }
  std::u16string_view Key(size_t i) const { return keys.at(i); }
  bool IsDisabled(size_t i) const;
  std::u16string_view MediaFolder(size_t i) const { return media_folders.at(i); }
  std::u16string_view SourcePosition(size_t i) const { return source_positions.at(i); }
  // The two fields of the source position: the text before its last "*" and the
  // number after it (nullopt when that is not a decimal number).
  std::u16string_view SourceFile(size_t i) const;
  std::optional<int32_t> SourceLine(size_t i) const;
  std::u16string_view IncludeScope(size_t i) const { return include_scopes.at(i); }
  std::u16string_view IncludeReturnVariable(size_t i) const;
  std::optional<int32_t> IncludeDepth(size_t i) const;
  // The first statement whose key equals `key` without regard to case.
  std::optional<size_t> FindKey(std::u16string_view key) const;
};

// Web media files: (block, path inside the block, payload folder) triples.
class MediaFileList {
 public:
  void Append(MediaFile file);
  size_t size() const { return files_.size(); }
  const MediaFile& at(size_t i) const { return files_.at(i); }
  // Positions of every triple of the block (compared without regard to case), in order.
  std::vector<size_t> OfBlock(std::u16string_view block) const;

 private:
  std::vector<MediaFile> files_;
  std::unordered_map<std::u16string, std::vector<size_t>> by_block_;  // lower-cased block
};

// The install map: groups of (payload file path, target subfolder) pairs by command header.
class InstallMap {
 public:
  // Splits the section's lines into groups: a group begins where a line is followed by
  // the group marker; the pairs before the first group belong to none and are dropped.
  static InstallMap FromLines(const std::vector<std::u16string>& lines);

  void Append(InstallMapGroup group);
  size_t size() const { return groups_.size(); }
  const InstallMapGroup& at(size_t i) const { return groups_.at(i); }
  // The first group whose header equals `header` without regard to case.
  const InstallMapGroup* Find(std::u16string_view header) const;

 private:
  std::vector<InstallMapGroup> groups_;
  IndexedLines headers_;
};

enum class PublisherText {
  kPublisher,
  kContact,
  kHelpLink,
  kUrlUpdateInfo,
  kComments,
  kDisplayVersion
};

// Everything the loader reads, before the tables take it over.
struct ScriptData {
  StatementTable statements;
  IndexedLines parameters;  // section 3, "$" lines already restored
  std::u16string product_code;
  std::u16string product_title;
  IndexedLines plugin_commands;
  std::array<std::u16string, 6> publisher;  // in PublisherText order
  KeyedPairs<std::u16string> web_media_keys;
  int32_t build_mode = 0;
  KeyedPairs<int64_t> component_sizes;
  std::u16string revision_code;
  MediaFileList media_files;
  bool language_prompt = false;
  std::u16string default_language;
  IndexedLines command_headers;  // flat: header, statement index, header, index, ...
  KeyedPairs<std::u16string> constants;
  int32_t code_page = 0;  // read and not used
  int64_t payload_total = 0;
  InstallMap install_map;
};

class ScriptTables {
 public:
  explicit ScriptTables(ScriptData data);
  ScriptTables(ScriptTables&&) = default;
  ScriptTables& operator=(ScriptTables&&) = default;
  ScriptTables(const ScriptTables&) = delete;
  ScriptTables& operator=(const ScriptTables&) = delete;

  const StatementTable& statements() const { return data_.statements; }
  size_t StatementCount() const { return data_.statements.size(); }

  // Parameter n (1-based) of the statement with the key; n = 0 gives the key line
  // itself. The first table of the collection that holds a line equal to the key (first
  // occurrence, ignoring case) answers with the line n places after it. No such table,
  // a negative n or a line past the end of the table: the empty text.
  std::u16string GetStatementParam(std::u16string_view key, int32_t n) const;
  // The same, for the statement at `index`.
  std::u16string StatementParam(size_t index, int32_t n) const;
  // Later tables are searched after the loaded one.
  void AddParameterTable(IndexedLines table);
  // The parameter table the script was loaded with ("$" lines already restored).
  const IndexedLines& LoadedParameters() const { return parameter_tables_.front(); }

  const std::u16string& ProductCode() const { return data_.product_code; }
  const std::u16string& ProductTitle() const { return data_.product_title; }
  const IndexedLines& PluginCommands() const { return data_.plugin_commands; }
  const std::u16string& Publisher(PublisherText which) const;

  // The stored key text of the web media block (first name equal ignoring case), or
  // the empty text.
  std::u16string WebMediaKey(std::u16string_view block) const;
  const KeyedPairs<std::u16string>& WebMediaKeys() const { return data_.web_media_keys; }

  // The engine tests only for 2 and 3.
  int32_t BuildMode() const { return data_.build_mode; }

  // Size of the first component of that name (ignoring case), or 0.
  int64_t ComponentSize(std::u16string_view name) const;
  // Appends a pair; an earlier pair of the same name keeps answering ComponentSize.
  void AddComponentSize(std::u16string_view name, int64_t size);
  const KeyedPairs<int64_t>& ComponentSizes() const { return data_.component_sizes; }

  const std::u16string& RevisionCode() const { return data_.revision_code; }
  const MediaFileList& MediaFiles() const { return data_.media_files; }
  bool LanguagePrompt() const { return data_.language_prompt; }
  const std::u16string& DefaultLanguage() const { return data_.default_language; }

  // The command header of the statement: the line before the first line of the
  // command header table that holds the index in decimal. With the native engine
  // selected, statements other than the four file-installing commands need none and
  // get the empty text without an error. Otherwise an empty result raises ScriptError
  // ("Unable to obtain command headers. Please rebuild your project.") unless tolerant.
  std::u16string CommandHeader(size_t index, bool tolerant, bool native_engine_selected) const;
  const IndexedLines& CommandHeaders() const { return data_.command_headers; }

  // See compile_constants.h.
  std::u16string ExpandCompileConstants(std::u16string_view text) const;
  const KeyedPairs<std::u16string>& CompileConstants() const { return data_.constants; }

  int32_t CodePage() const { return data_.code_page; }
  int64_t PayloadTotal() const { return data_.payload_total; }
  const InstallMap& GetInstallMap() const { return data_.install_map; }

  // One mark per statement, filled by the script check ("SKIP", "FALSE" for change
  // commands) and updated by the change commands at run time.
  std::vector<std::u16string>& ChangeMarks() { return change_marks_; }
  const std::vector<std::u16string>& ChangeMarks() const { return change_marks_; }

 private:
  ScriptData data_;
  std::vector<IndexedLines> parameter_tables_;  // the loaded table first
  std::vector<std::u16string> change_marks_;
};

}  // namespace velkor::script
