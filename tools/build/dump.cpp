#include "dump.h"

#include <optional>

#include "archive_writer.h"
#include "build_error.h"
#include "command_sets.h"
#include "compile.h"
#include "core/case_mapping.h"
#include "core/text.h"
#include "decompile.h"
#include "engine_file.h"
#include "host_file.h"
#include "payload.h"
#include "project_reader.h"
#include "script/script_text_writer.h"
#include "script_reader.h"
#include "temp_folder.h"
#include "translations.h"
#include "web_media_key.h"

namespace velkor::build {
namespace fs = std::filesystem;

using core::U16;
using core::Utf16ToUtf8;

namespace {

std::string ReadFile(const fs::path& path) {
  std::optional<std::string> bytes = ReadHostFile(path);
  if (!bytes) throw BuildError(path.string() + ": cannot read");
  return std::move(*bytes);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  WriteHostFile(path, bytes);
}

void CopyInto(const fs::path& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::string Lower(std::string_view text) {
  return Utf16ToUtf8(core::Lower(U16(text)));
}

class Dumper {
 public:
  Dumper(const fs::path& engine_file, const fs::path& project)
      : beside_(engine_file.parent_path().empty() ? fs::path(".") : engine_file.parent_path()),
        base_(engine_file.stem().string()),
        project_(project) {
    const std::string bytes = ReadFile(engine_file);
    script_text_ = std::string(SplitEngineFile(bytes).script);
    script_ = ReadCompiledScript(script_text_);
    decompiled_ = DecompileScript(script_);
    report_.warnings = decompiled_.warnings;
  }

  DumpReport Run() {
    PrepareFolder();
    ProjectSettings& settings = decompiled_.settings;
    settings.base_name = base_;
    Resources();
    settings.package = Beside(base_ + ".msi");
    settings.patch = Beside(base_ + ".msp");
    settings.splash = Beside("setup.bmp");
    Payload();
    for (const auto& [path, text] : ProjectTexts(decompiled_)) WriteFile(project_ / path, text);
    Verify();
    return std::move(report_);
  }

 private:
  void PrepareFolder() {
    std::error_code ec;
    if (fs::exists(project_, ec) && !fs::is_empty(project_, ec))
      throw BuildError(project_.string() + ": the project folder must be empty or not exist yet");
    fs::create_directories(project_);
  }

  std::string Beside(const std::string& name) {
    const fs::path path = beside_ / name;
    if (!fs::is_regular_file(path)) return {};
    CopyInto(path, project_ / name);
    return name;
  }

  void Warn(const std::string& text) { report_.warnings.push_back(text); }

  void Resources() {
    const fs::path archive = beside_ / (base_ + ".res");
    if (!fs::is_regular_file(archive))
      return Warn(archive.string() + " not found: no support files recovered");
    TempFolder temp;
    ExtractArchive(archive, temp.path());
    std::map<std::string, std::string> tables;  // lower-cased name -> path
    for (const auto& entry : fs::recursive_directory_iterator(temp.path())) {
      if (!entry.is_regular_file()) continue;
      const std::string relative = entry.path().lexically_relative(temp.path()).generic_string();
      if (IsGeneratedRuleFile(relative, entry.path(), temp.path())) continue;
      if (IsTable(relative)) {
        tables[Lower(relative)] = entry.path().string();
        continue;
      }
      CopyInto(entry.path(), project_ / ResourceFolder(relative) / relative);
    }
    Languages(tables);
  }

  // An empty rule file beside its dialog is what the build adds by itself.
  static bool IsGeneratedRuleFile(const std::string& path, const fs::path& file,
                                  const fs::path& root) {
    if (!Lower(path).ends_with(".dfm.vexf") || fs::file_size(file) != 0) return false;
    return fs::exists(root / path.substr(0, path.size() - 5));
  }

  bool IsTable(const std::string& path) const {
    const std::string lower = Lower(path);
    if (lower == Lower(Utf16ToUtf8(script_.product_title) + ".mtx")) return true;
    return lower.rfind("translations.", 0) == 0 && lower != "translations.map";
  }

  static std::string ResourceFolder(const std::string& path) {
    const std::string lower = Lower(path);
    if (path.find('/') == std::string::npos) {
      if (lower.ends_with(".dfm") || lower.ends_with(".dfm.vexf")) return kDialogsFolder;
      if (lower == "translations.map" || lower.rfind("shared.translations.", 0) == 0)
        return kLanguagesFolder;
    }
    return kSupportFolder;
  }

  void Languages(const std::map<std::string, std::string>& tables) {
    const std::string keys_name = Lower(Utf16ToUtf8(script_.product_title) + ".mtx");
    if (!tables.count(keys_name) || !tables.count("translations.original")) return;
    const auto keys = TableLines(ReadFile(tables.at(keys_name)));
    const auto originals = TableLines(ReadFile(tables.at("translations.original")));
    std::map<std::u16string, std::vector<std::u16string>> languages;
    for (const auto& [lower, path] : tables) {
      const std::string name = fs::path(path).filename().string();
      if (lower == keys_name || lower == "translations.original") continue;
      languages[U16(name.substr(std::string("translations.").size()))] = TableLines(ReadFile(path));
    }
    for (const auto& [name, strings] : LanguageStringsFromTables(keys, originals, languages))
      WriteFile(project_ / kLanguagesFolder / (Utf16ToUtf8(name) + kLanguageStringsExtension),
                WriteLanguageStrings(strings));
  }

  void Payload();
  void Verify();

  fs::path beside_;
  std::string base_;
  fs::path project_;
  std::string script_text_;
  script::CompiledScript script_;
  DecompiledProject decompiled_;
  DumpReport report_;
};

// A relative path that stays inside its folder ('/' form), or empty: an engine file
// may come from anywhere, and its install map must not reach outside the project.
std::string Inside(const std::u16string& path) {
  try {
    return NormalizeProjectPath(path, {});
  } catch (const BuildError&) {
    return {};
  }
}

std::u16string InstallMapName(const std::u16string& path) {
  return path.substr(path.rfind(u'\\') + 1);
}

std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t line = 1, i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i])
    if (a[i++] == '\n') ++line;
  const auto text_at = [&](const std::string& s) {
    const size_t start = s.rfind('\n', i == 0 ? 0 : i - 1);
    const size_t from = start == std::string::npos || i == 0 ? 0 : start + 1;
    return s.substr(from, s.find_first_of("\r\n", from) - from);
  };
  return "line " + std::to_string(line) + " of the script: '" + text_at(a) + "' becomes '" +
         text_at(b) + "'";
}

// Payload files of web media blocks come out of the block archives beside the engine.
class WebArchives {
 public:
  WebArchives(const fs::path& beside, const script::CompiledScript& script)
      : beside_(beside), script_(script) {}

  fs::path Find(const std::u16string& install_path) {
    for (const auto& file : script_.media_files) {
      if (!core::EqualIgnoreCase(file.payload_folder + InstallMapName(install_path), install_path))
        continue;
      const fs::path folder = Extracted(file.block);
      const std::string inside = Inside(file.block + u"\\" + file.path);
      return inside.empty() ? fs::path() : folder / inside;
    }
    return {};
  }

 private:
  fs::path Extracted(const std::u16string& block) {
    const std::string name = Inside(block);
    const fs::path folder = temp_.path() / (name.empty() ? "-" : name);
    const fs::path archive = beside_ / (name + ".7zip");
    if (!fs::exists(folder) && fs::is_regular_file(archive)) {
      try {
        ExtractArchive(archive, folder, WebMediaPassword(script_, block));
      } catch (const BuildError&) {
      }
    }
    return folder;
  }

  fs::path beside_;
  const script::CompiledScript& script_;
  TempFolder temp_;
};

void Dumper::Payload() {
  std::map<int32_t, std::u16string> headers;
  for (const auto& [header, index] : script_.command_headers) headers.emplace(index, header);
  WebArchives web(beside_, script_);
  size_t missing = 0;
  for (size_t i = 0; i < script_.statements.size(); ++i) {
    const auto& s = script_.statements[i];
    if (s.disabled || s.command != kInstallFiles || !headers.count(int32_t(i))) continue;
    for (const auto& group : script_.install_map) {
      if (!core::EqualIgnoreCase(group.header, headers.at(int32_t(i)))) continue;
      const std::u16string patterns = s.parameters.empty() ? u"" : s.parameters[0];
      for (const auto& [path, subfolder] : group.files) {
        const std::string target =
            Inside(U16(PayloadSourcePath(patterns, subfolder, InstallMapName(path))));
        const std::string data_path = Inside(path);
        fs::path source = data_path.empty() ? fs::path() : beside_ / "data" / data_path;
        if (source.empty() || !fs::is_regular_file(source)) source = web.Find(path);
        if (target.empty() || source.empty() || !fs::is_regular_file(source)) {
          ++missing;
        } else if (!fs::exists(project_ / target)) {
          CopyInto(source, project_ / target);
        }
      }
      break;
    }
  }
  if (missing)
    Warn(std::to_string(missing) +
         " payload file(s) not recovered: the data folder or web media archives "
         "beside the engine file do not hold them");
}

void Dumper::Verify() {
  try {
    const std::string rebuilt =
        script::WriteScriptText(CompileProject(ParseProjectFolder(project_)));
    if (rebuilt != script_text_)
      Warn("building the dumped project gives a different script, first at " +
           FirstDifference(script_text_, rebuilt));
  } catch (const std::exception& e) {
    Warn(std::string("the dumped project does not build: ") + e.what());
  }
}

}  // namespace

DumpReport DumpEngineFile(const fs::path& engine_file, const fs::path& project) {
  return Dumper(engine_file, project).Run();
}

}  // namespace velkor::build
