#include "decompile.h"

#include <set>

#include "build_error.h"
#include "command_sets.h"
#include "compile.h"
#include "core/case_mapping.h"
#include "core/guid.h"
#include "core/text.h"
#include "project_file.h"
#include "project_reader.h"
#include "script_file.h"
#include "web_media_key.h"

namespace velkor::build {

using core::Utf16ToUtf8;

namespace {

WebMediaKeySetting KeySetting(const std::u16string& block, const std::u16string& stored) {
  const auto password = UnscrambleWebMediaKey(stored);
  if (password && ScrambleWebMediaKey(*password) == stored) return {block, *password, false};
  return {block, stored, true};
}

// The default payload media folder: the one the first file-installing statement before
// any web media block uses, so that most statements need no [media=...].
std::u16string PayloadMedia(const script::CompiledScript& s) {
  for (const auto& statement : s.statements) {
    if (!statement.disabled && statement.command == kWebMediaBlock) break;
    if (IsFileGroupCommand(statement.command) && !statement.media_folder.empty() &&
        statement.media_folder.back() == u'\\')
      return statement.media_folder.substr(0, statement.media_folder.size() - 1);
  }
  return u"OFFLINE";
}

ProjectSettings Settings(const script::CompiledScript& s) {
  ProjectSettings out;
  out.product_code = s.product_code;
  out.revision_code = s.revision_code;
  out.title = s.product_title;
  out.publisher = s.publisher;
  out.build_mode = s.build_mode;
  out.language_prompt = s.language_prompt;
  out.default_language = s.default_language;
  out.code_page = s.code_page;
  out.plugin_commands = s.plugin_commands;
  out.constants = s.constants;
  out.component_sizes = s.component_sizes;
  for (const auto& [block, stored] : s.web_media_keys)
    out.web_media_keys.push_back(KeySetting(block, stored));
  out.payload_media = PayloadMedia(s);
  return out;
}

std::string ScriptPath(const std::u16string& source_file, const std::string& fallback) {
  try {
    return NormalizeProjectPath(source_file, {});
  } catch (const BuildError&) {
    return fallback;
  }
}

class Decompiler {
 public:
  explicit Decompiler(const script::CompiledScript& s)
      : s_(s), derivable_(core::ParseGuid(s.product_code).has_value()) {}

  DecompiledProject Run() {
    out_.settings = Settings(s_);
    const std::string main =
        s_.statements.empty() ? "main.vks" : ScriptPath(s_.statements[0].source_file, "main.vks");
    out_.settings.script = main;
    out_.scripts[main].path = main;
    stack_.push_back({main, 0});
    std::u16string block;
    for (size_t i = 0; i < s_.statements.size(); ++i) Statement(i, block);
    return std::move(out_);
  }

 private:
  struct Level {
    std::string file;
    int depth;
  };

  void Statement(size_t i, std::u16string& block) {
    const script::ScriptStatement& s = s_.statements[i];
    while (stack_.size() > 1 && stack_.back().depth > s.include_depth) stack_.pop_back();
    if (s.include_depth != stack_.back().depth || s.include_return_variable != ReturnVariable())
      Warn(i, "its include scope does not follow from the Include Script statements");
    if (!s.disabled && s.command == kWebMediaBlock && !s.parameters.empty() &&
        !s.parameters[0].empty())
      block = s.parameters[0];
    const std::string& file = stack_.back().file;
    if (!repeated_.count(file)) out_.scripts[file].statements.push_back(Readable(i, block));
    if (!s.disabled && s.command == kIncludeCommand && s.parameters.size() >= 2) Include(i);
  }

  void Include(size_t i) {
    const auto& p = s_.statements[i].parameters;
    std::string path;
    try {
      path = NormalizeProjectPath(p[0], {});
    } catch (const BuildError& e) {
      Warn(i, "its include path is not a project path");
      path = "include-" + std::to_string(i) + ".vks";
    }
    if (out_.scripts.count(path)) repeated_.insert(path);
    out_.scripts[path].path = path;
    stack_.push_back({path, stack_.back().depth + 1});
    return_variables_[stack_.size() - 1] = p[1];
  }

  std::u16string ReturnVariable() const {
    return stack_.size() == 1 ? u"0" : return_variables_.at(stack_.size() - 1);
  }

  ProjectStatement Readable(size_t i, const std::u16string& block) const {
    const script::ScriptStatement& s = s_.statements[i];
    ProjectStatement out;
    out.command = s.command;
    out.parameters = s.parameters;
    out.disabled = s.disabled;
    out.line = s.source_line + 1;
    if (!derivable_ || s.key != DerivedStatementKey(s_.product_code, i)) out.key = s.key;
    if (s.media_folder != DerivedMediaFolder(s.command, block, out_.settings.payload_media))
      out.media_folder = s.media_folder;
    return out;
  }

  void Warn(size_t i, const std::string& what) {
    out_.warnings.push_back("statement " + std::to_string(i) + " (" +
                            Utf16ToUtf8(s_.statements[i].command) + "): " + what);
  }

  const script::CompiledScript& s_;
  bool derivable_;  // keys can be derived only from a valid product code
  DecompiledProject out_;
  std::vector<Level> stack_;
  std::map<size_t, std::u16string> return_variables_;
  std::set<std::string> repeated_;
};

}  // namespace

DecompiledProject DecompileScript(const script::CompiledScript& script) {
  return Decompiler(script).Run();
}

std::map<std::string, std::string> ProjectTexts(const DecompiledProject& project) {
  std::map<std::string, std::string> texts;
  for (const auto& [path, script] : project.scripts) texts[path] = WriteScriptFile(script);
  texts[kDumpedProjectFile] = WriteProjectFile(project.settings);
  return texts;
}

}  // namespace velkor::build
