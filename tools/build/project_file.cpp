#include "project_file.h"

#include <functional>
#include <optional>
#include <set>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/guid.h"
#include "core/text.h"
#include "value_syntax.h"

namespace velkor::build {
namespace {

using core::U16;

enum class Section { kSettings, kPublisher, kPlugins, kConstants, kComponents, kKeys, kStoredKeys };

struct Entry {
  std::string key;
  std::string value;
  SourcePlace place;
};

Section SectionNamed(std::string_view name, const SourcePlace& place) {
  static const std::pair<const char*, Section> kSections[] = {
      {"publisher", Section::kPublisher}, {"plug-ins", Section::kPlugins},
      {"constants", Section::kConstants}, {"components", Section::kComponents},
      {"web-media-keys", Section::kKeys}, {"web-media-stored-keys", Section::kStoredKeys}};
  for (const auto& [text, section] : kSections)
    if (name == text) return section;
  throw BuildError(place, "unknown section [" + std::string(name) + "]");
}

Entry ReadEntry(std::string_view line, const SourcePlace& place) {
  size_t pos = 0;
  Entry entry{ReadValue(line, pos, "=", place), {}, place};
  if (pos >= line.size()) throw BuildError(place, "expected 'name = value'");
  ++pos;
  entry.value = ReadValue(line, pos, "", place);
  return entry;
}

std::u16string GuidSetting(const Entry& e) {
  if (!core::ParseGuid(U16(e.value)))
    throw BuildError(e.place, e.key +
                                  " must be a GUID in braces, e.g. "
                                  "{01234567-89AB-CDEF-0123-456789ABCDEF}");
  return U16(e.value);
}

int32_t IntSetting(const Entry& e) {
  const auto value = core::ParseInt32(U16(e.value));
  if (!value) throw BuildError(e.place, e.key + " must be a decimal integer");
  return *value;
}

bool BoolSetting(const Entry& e) {
  const std::u16string v = core::Lower(U16(e.value));
  if (v == u"true" || v == u"yes") return true;
  if (v == u"false" || v == u"no") return false;
  throw BuildError(e.place, e.key + " must be true or false");
}

using Setter = std::function<void(ProjectSettings&, const Entry&)>;

const std::vector<std::pair<std::string, Setter>>& SettingSetters() {
  static const std::vector<std::pair<std::string, Setter>> kSetters = {
      {"product-code", [](auto& s, auto& e) { s.product_code = GuidSetting(e); }},
      {"revision-code", [](auto& s, auto& e) { s.revision_code = GuidSetting(e); }},
      {"title", [](auto& s, auto& e) { s.title = U16(e.value); }},
      {"build-mode", [](auto& s, auto& e) { s.build_mode = IntSetting(e); }},
      {"language-prompt", [](auto& s, auto& e) { s.language_prompt = BoolSetting(e); }},
      {"default-language", [](auto& s, auto& e) { s.default_language = U16(e.value); }},
      {"code-page", [](auto& s, auto& e) { s.code_page = IntSetting(e); }},
      {"script", [](auto& s, auto& e) { s.script = e.value; }},
      {"base-name", [](auto& s, auto& e) { s.base_name = e.value; }},
      {"payload-media", [](auto& s, auto& e) { s.payload_media = U16(e.value); }},
      {"package", [](auto& s, auto& e) { s.package = e.value; }},
      {"patch", [](auto& s, auto& e) { s.patch = e.value; }},
      {"splash", [](auto& s, auto& e) { s.splash = e.value; }},
  };
  return kSetters;
}

class Reader {
 public:
  explicit Reader(std::string file) : file_(std::move(file)) {}

  void Line(const SourceLine& line) {
    const SourcePlace place{file_, line.number};
    const std::string_view text = Trim(line.text);
    if (text.front() == '[') {
      if (text.back() != ']') throw BuildError(place, "section header must end with ']'");
      section_ = SectionNamed(Trim(text.substr(1, text.size() - 2)), place);
      return;
    }
    if (section_ == Section::kPlugins) {
      size_t pos = 0;
      settings_.plugin_commands.push_back(U16(ReadValue(line.text, pos, "", place)));
      return;
    }
    Apply(ReadEntry(line.text, place));
  }

  ProjectSettings Finish() {
    if (!seen_.count("product-code")) throw BuildError({file_, 0}, "product-code is missing");
    if (!seen_.count("revision-code")) throw BuildError({file_, 0}, "revision-code is missing");
    return settings_;
  }

 private:
  void Apply(const Entry& e) {
    switch (section_) {
      case Section::kSettings:
        return Setting(e);
      case Section::kPublisher:
        return Publisher(e);
      case Section::kConstants:
        return settings_.constants.emplace_back(U16(e.key), U16(e.value)), void();
      case Section::kComponents:
        return Component(e);
      case Section::kKeys:
      case Section::kStoredKeys:
        settings_.web_media_keys.push_back(
            {U16(e.key), U16(e.value), section_ == Section::kStoredKeys});
        return;
      case Section::kPlugins:
        return;
    }
  }

  void Setting(const Entry& e) {
    for (const auto& [name, set] : SettingSetters()) {
      if (name != e.key) continue;
      if (!seen_.insert(name).second) throw BuildError(e.place, name + " is given twice");
      return set(settings_, e);
    }
    throw BuildError(e.place, "unknown setting '" + e.key + "'");
  }

  void Publisher(const Entry& e) {
    for (int i = 0; i < 6; ++i)
      if (core::EqualIgnoreCase(U16(e.key), U16(kPublisherNames[i]))) {
        settings_.publisher[i] = U16(e.value);
        return;
      }
    throw BuildError(e.place, "unknown publisher entry '" + e.key +
                                  "' (Publisher, Contact, HelpLink, URLUpdateInfo, Comments, "
                                  "DisplayVersion)");
  }

  void Component(const Entry& e) {
    const auto size = core::ParseInt64(U16(e.value));
    if (!size) throw BuildError(e.place, "component size must be a decimal integer (bytes)");
    settings_.component_sizes.emplace_back(U16(e.key), *size);
  }

  std::string file_;
  Section section_ = Section::kSettings;
  ProjectSettings settings_;
  std::set<std::string> seen_;
};

}  // namespace

ProjectSettings ParseProjectFile(std::string_view bytes, const std::string& file) {
  Reader reader(file);
  for (const SourceLine& line : SplitLines(bytes, file))
    if (!IsBlankOrComment(line.text)) reader.Line(line);
  return reader.Finish();
}

namespace {

std::string Setting(const std::string& key, const std::string& value) {
  return key + std::string(key.size() < 17 ? 17 - key.size() : 1, ' ') + "= " +
         WriteValue(value, "") + "\n";
}

std::string Pair(const std::u16string& key, const std::string& value) {
  return WriteValue(core::Utf16ToUtf8(key), "=", true) + " = " + WriteValue(value, "") + "\n";
}

void WriteWebMediaKeys(const ProjectSettings& s, std::string& out) {
  std::optional<bool> current;
  for (const auto& key : s.web_media_keys) {
    if (current != key.stored)
      out += key.stored ? "\n[web-media-stored-keys]\n" : "\n[web-media-keys]\n";
    current = key.stored;
    out += Pair(key.block, core::Utf16ToUtf8(key.text));
  }
}

}  // namespace

std::string WriteProjectFile(const ProjectSettings& s) {
  using core::Utf16ToUtf8;
  std::string out = "# Velkor setup project\n";
  out += Setting("product-code", Utf16ToUtf8(s.product_code));
  out += Setting("revision-code", Utf16ToUtf8(s.revision_code));
  out += Setting("title", Utf16ToUtf8(s.title));
  out += Setting("build-mode", std::to_string(s.build_mode));
  out += Setting("language-prompt", s.language_prompt ? "true" : "false");
  out += Setting("default-language", Utf16ToUtf8(s.default_language));
  if (s.code_page != 1252) out += Setting("code-page", std::to_string(s.code_page));
  out += Setting("script", s.script);
  if (s.base_name != "setup") out += Setting("base-name", s.base_name);
  if (s.payload_media != u"OFFLINE") out += Setting("payload-media", Utf16ToUtf8(s.payload_media));
  if (!s.package.empty()) out += Setting("package", s.package);
  if (!s.patch.empty()) out += Setting("patch", s.patch);
  if (!s.splash.empty()) out += Setting("splash", s.splash);
  out += "\n[publisher]\n";
  for (int i = 0; i < 6; ++i) out += Setting(kPublisherNames[i], Utf16ToUtf8(s.publisher[i]));
  if (!s.plugin_commands.empty()) out += "\n[plug-ins]\n";
  for (const auto& name : s.plugin_commands) out += WriteValue(Utf16ToUtf8(name), "", true) + "\n";
  if (!s.constants.empty()) out += "\n[constants]\n";
  for (const auto& [name, value] : s.constants) out += Pair(name, Utf16ToUtf8(value));
  if (!s.component_sizes.empty()) out += "\n[components]\n";
  for (const auto& [name, size] : s.component_sizes) out += Pair(name, std::to_string(size));
  WriteWebMediaKeys(s, out);
  return out;
}

}  // namespace velkor::build
