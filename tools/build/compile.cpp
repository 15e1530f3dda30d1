#include "compile.h"

#include <cstdio>
#include <map>
#include <set>

#include "command_sets.h"
#include "core/case_mapping.h"
#include "core/guid.h"
#include "core/text.h"
#include "flatten.h"
#include "name_guid.h"
#include "payload.h"
#include "project_reader.h"
#include "resources.h"
#include "translations.h"
#include "web_media_key.h"

namespace velkor::build {

using core::U16;
using core::Utf16ToUtf8;

namespace {

core::Guid ProductNamespace(const std::u16string& product_code, const std::string& file) {
  const auto guid = core::ParseGuid(product_code);
  if (!guid) throw BuildError({file, 0}, "product-code must be a GUID in braces");
  return *guid;
}

std::u16string KeyFor(const core::Guid& product, size_t index) {
  return core::GuidText(NameGuid(product, "statement:" + std::to_string(index)));
}

}  // namespace

std::u16string DerivedStatementKey(const std::u16string& product_code, size_t index) {
  return KeyFor(ProductNamespace(product_code, {}), index);
}

std::u16string DerivedMediaFolder(std::u16string_view command, const std::u16string& block,
                                  const std::u16string& payload_media) {
  if (!IsFileGroupCommand(command)) return {};
  const std::u16string& name = block.empty() ? payload_media : block;
  return name.empty() ? name : name + u"\\";
}

void FollowWebMediaBlock(std::u16string_view command, bool disabled,
                         const std::vector<std::u16string>& parameters, std::u16string& block) {
  if (!disabled && command == kWebMediaBlock && !parameters.empty() && !parameters[0].empty())
    block = parameters[0];
}

std::u16string CompiledSourceFile(const std::string& path) {
  std::u16string out = U16(path);
  for (auto& c : out)
    if (c == u'/') c = u'\\';
  return out;
}

std::string ProjectPathOfSourceFile(std::u16string_view source_file) {
  std::string out = Utf16ToUtf8(source_file);
  for (auto& c : out)
    if (c == '\\') c = '/';
  return out;
}

namespace {

void RequireLine(const std::u16string& text, const std::string& what, const SourcePlace& place) {
  if (text.find_first_of(u"\r\n") != std::u16string::npos)
    throw BuildError(place, what + " holds a line break");
  if (text == u"$") throw BuildError(place, what + " cannot be a lone '$' (it ends a section)");
}

void RequireMediaFolder(const std::u16string& folder, const SourcePlace& place) {
  if (folder.empty()) return;
  const std::string text = Utf16ToUtf8(folder);
  if (folder.back() != u'\\')
    throw BuildError(place, "media folder '" + text + "' must end with '\\'");
  size_t start = 0;
  while (start < folder.size()) {
    const size_t end = folder.find(u'\\', start);
    const std::u16string part = folder.substr(start, end - start);
    if (part.empty() || part == u"." || part == u".." ||
        part.find_first_of(u"<>:\"/|?*") != std::u16string::npos)
      throw BuildError(place, "media folder '" + text + "' is not a relative folder name");
    start = end + 1;
  }
}

class Compiler {
 public:
  explicit Compiler(const Project& project)
      : p_(project), ns_(ProductNamespace(project.settings.product_code, project.project_file)) {}

  BuildPlan Run() {
    flat_ = FlattenScripts(p_);
    Statements();
    CheckKeys();
    CheckParameters();
    Settings();
    Headers();
    Payload();
    Resources();
    Beside();
    return std::move(plan_);
  }

 private:
  SourcePlace Place(size_t i) const { return {flat_[i].file, flat_[i].statement->line}; }
  SourcePlace ProjectPlace() const { return {p_.project_file, 0}; }
  script::ScriptStatement& At(size_t i) { return plan_.script.statements[i]; }

  void Statements() {
    std::u16string block;  // the web media block in force, in compiled order
    for (size_t i = 0; i < flat_.size(); ++i) {
      const FlatStatement& f = flat_[i];
      const ProjectStatement& s = *f.statement;
      script::ScriptStatement out;
      out.command = s.command;
      out.key = s.key.empty() ? KeyFor(ns_, i) : s.key;
      out.disabled = s.disabled;
      out.parameters = s.parameters;
      out.source_file = CompiledSourceFile(f.file);
      out.source_line = s.line - 1;
      out.include_return_variable = f.return_variable;
      out.include_depth = f.depth;
      FollowWebMediaBlock(s.command, s.disabled, s.parameters, block);
      out.media_folder = s.media_folder
                             ? *s.media_folder
                             : DerivedMediaFolder(s.command, block, p_.settings.payload_media);
      RequireLine(out.command, "the command name", Place(i));
      RequireLine(out.include_return_variable, "the return variable", Place(i));
      RequireMediaFolder(out.media_folder, Place(i));
      plan_.script.statements.push_back(std::move(out));
    }
  }

  void CheckKeys() {
    std::map<std::u16string, size_t> seen;
    for (size_t i = 0; i < flat_.size(); ++i) {
      const std::u16string& key = At(i).key;
      if (!core::ParseGuid(key))
        throw BuildError(Place(i),
                         "statement key '" + Utf16ToUtf8(key) + "' is not a GUID in braces");
      const auto [it, added] = seen.emplace(core::Lower(key), i);
      if (!added) {
        const SourcePlace first = Place(it->second);
        throw BuildError(Place(i), "statement key " + Utf16ToUtf8(key) + " is also used at " +
                                       first.file + ":" + std::to_string(first.line));
      }
    }
    keys_ = std::move(seen);
  }

  // The engine finds a statement's parameters by searching the parameter table for its
  // key and restores a lone "$" from whole lines "$DOLLAR$"/"$WILD_DOLLAR$": parameter
  // texts that look like either would be read back wrongly.
  void CheckParameters() {
    for (size_t i = 0; i < flat_.size(); ++i) {
      for (const auto& parameter : At(i).parameters) {
        if (parameter.find_first_of(u"\r\n") != std::u16string::npos)
          throw BuildError(Place(i), "a parameter holds a line break");
        const std::u16string lower = core::Lower(parameter);
        if (lower == u"$dollar$" || lower == u"$wild_dollar$")
          throw BuildError(Place(i), "the parameter '" + Utf16ToUtf8(parameter) +
                                         "' would load as a lone '$'; write \"$\" instead");
        if (keys_.count(lower))
          throw BuildError(Place(i),
                           "a parameter equals the statement key " + Utf16ToUtf8(parameter));
      }
    }
  }

  void Settings() {
    const ProjectSettings& s = p_.settings;
    script::CompiledScript& out = plan_.script;
    const SourcePlace place = ProjectPlace();
    out.product_code = s.product_code;
    out.revision_code = s.revision_code;
    if (!core::ParseGuid(s.revision_code))
      throw BuildError(place, "revision-code must be a GUID in braces");
    out.product_title = s.title;
    out.publisher = s.publisher;
    out.build_mode = s.build_mode;
    out.language_prompt = s.language_prompt;
    out.default_language = s.default_language;
    out.code_page = s.code_page;
    out.plugin_commands = s.plugin_commands;
    out.constants = s.constants;
    out.component_sizes = s.component_sizes;
    for (const auto& key : s.web_media_keys)
      out.web_media_keys.emplace_back(key.block, StoredKey(key));
    RequireSettingLines(out, place);
    plan_.base_name = s.base_name;
  }

  std::u16string StoredKey(const WebMediaKeySetting& key) const {
    if (key.stored) return key.text;
    const auto stored = ScrambleWebMediaKey(key.text);
    if (!stored)
      throw BuildError(ProjectPlace(), "the key of web media block '" + Utf16ToUtf8(key.block) +
                                           "' must have at most 128 characters, each up to U+00FF");
    return *stored;
  }

  static void RequireSettingLines(const script::CompiledScript& s, const SourcePlace& place) {
    RequireLine(s.product_title, "title", place);
    RequireLine(s.default_language, "default-language", place);
    for (const auto& text : s.publisher) RequireLine(text, "a publisher entry", place);
    for (const auto& name : s.plugin_commands) RequireLine(name, "a plug-in command", place);
    for (const auto& [name, value] : s.constants) {
      RequireLine(name, "a constant name", place);
      RequireLine(value, "the value of constant " + Utf16ToUtf8(name), place);
    }
    for (const auto& c : s.component_sizes) RequireLine(c.first, "a component name", place);
    for (const auto& [block, key] : s.web_media_keys) {
      RequireLine(block, "a web media block name", place);
      RequireLine(key, "a web media key", place);
    }
  }

  void Headers() {
    std::set<std::u16string> used;
    for (size_t i = 0; i < flat_.size(); ++i) {
      if (At(i).disabled || !IsChangeCommand(At(i).command)) continue;
      uint32_t hash = NameHash32(ns_, "header:" + Utf16ToUtf8(core::Upper(At(i).key)));
      std::u16string header;
      do {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", hash++);
        header = U16(text);
      } while (!used.insert(header).second);
      plan_.script.command_headers.emplace_back(header, int32_t(i));
      headers_[i] = header;
    }
  }

  std::set<std::u16string> WebBlocks() const {
    std::set<std::u16string> blocks;
    if (p_.settings.build_mode != 2) return blocks;
    for (const auto& s : plan_.script.statements)
      if (!s.disabled && s.command == kWebMediaBlock && !s.parameters.empty())
        blocks.insert(core::Lower(s.parameters[0]));
    return blocks;
  }

  void Payload() {
    const std::set<std::u16string> web_blocks = WebBlocks();
    std::vector<PayloadStatement> statements;
    for (size_t i = 0; i < flat_.size(); ++i) {
      const auto& s = At(i);
      if (s.disabled || s.command != kInstallFiles) continue;
      const std::u16string folder = s.media_folder;
      const bool web =
          !folder.empty() && web_blocks.count(core::Lower(folder.substr(0, folder.size() - 1)));
      statements.push_back({flat_[i].statement, Place(i), headers_.at(i), folder, web});
    }
    PayloadPlan payload = PlanPayload(*p_.source, statements);
    plan_.script.install_map = std::move(payload.install_map);
    plan_.script.media_files = std::move(payload.media_files);
    plan_.script.payload_total = payload.total;
    plan_.data = std::move(payload.data);
    plan_.data.push_back(
        {Utf16ToUtf8(p_.settings.product_code), {}, std::string()});  // source marker
    for (auto& [block, files] : payload.web_files)
      plan_.web_archives.push_back(
          {block, WebMediaPassword(plan_.script, block), std::move(files)});
  }

  void Resources() {
    std::vector<TranslatableStatement> texts;
    for (const auto& s : plan_.script.statements)
      texts.push_back({s.command, s.key, &s.parameters});
    std::vector<OutputFile> tables = TranslationTables(p_, texts);
    if (!tables.empty() && p_.settings.title.find_first_of(u"\\/:*?\"<>|") != std::u16string::npos)
      throw BuildError(ProjectPlace(),
                       "the title names the translation key file and cannot hold \\/:*?\"<>|");
    plan_.resources = ResourceFiles(p_, std::move(tables));
    CheckDialogs();
  }

  void CheckDialogs() const {
    for (size_t i = 0; i < flat_.size(); ++i) {
      const auto& s = plan_.script.statements[i];
      if (s.disabled || s.command != kDisplayDialog || s.parameters.empty()) continue;
      const std::u16string& name = s.parameters[0];
      if (name.empty() || name.find_first_of(u"$#") != std::u16string::npos) continue;
      if (!HasResource(plan_.resources, Utf16ToUtf8(name) + ".dfm"))
        throw BuildError(Place(i), "dialog '" + Utf16ToUtf8(name) + "' not found: add " +
                                       kDialogsFolder + "/" + Utf16ToUtf8(name) + ".dfm");
    }
  }

  void Beside() {
    const ProjectSettings& s = p_.settings;
    AddBeside(s.package, s.base_name + ".msi");
    AddBeside(s.patch, s.base_name + ".msp");
    AddBeside(s.splash, "setup.bmp");
  }

  void AddBeside(const std::string& setting, const std::string& name) {
    if (setting.empty()) return;
    const std::string path = NormalizeProjectPath(U16(setting), ProjectPlace());
    if (!p_.source->Exists(path)) throw BuildError(ProjectPlace(), "file '" + path + "' not found");
    plan_.beside.push_back({name, path, std::nullopt});
  }

  const Project& p_;
  core::Guid ns_;
  std::vector<FlatStatement> flat_;
  std::map<std::u16string, size_t> keys_;
  std::map<size_t, std::u16string> headers_;
  BuildPlan plan_;
};

}  // namespace

BuildPlan PlanBuild(const Project& project) {
  return Compiler(project).Run();
}

script::CompiledScript CompileProject(const Project& project) {
  return PlanBuild(project).script;
}

}  // namespace velkor::build
