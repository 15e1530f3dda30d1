#include "translations.h"

#include <algorithm>
#include <set>

#include "core/case_mapping.h"
#include "core/text.h"
#include "value_syntax.h"

namespace velkor::build {

using core::U16;
using core::Utf16ToUtf8;

std::vector<std::pair<int, int>> TranslationOrdinals(std::u16string_view command) {
  using Ordinals = std::vector<std::pair<int, int>>;
  static const std::vector<std::pair<std::vector<std::u16string_view>, Ordinals>> kTable = {
      {{u"If", u"Else If", u"While", u"Until"}, {{1, 1}, {3, 2}}},
      {{u"Set Variable", u"Localization Variable", u"Create Group"}, {{2, 1}}},
      {{u"MessageBox", u"MessageBalloon", u"Create Share"}, {{1, 1}, {2, 2}}},
      {{u"Create Shortcut", u"Advertised Shortcut"}, {{2, 1}, {4, 2}}},
      {{u"Create File Type", u"Advertised File Type", u"Define Component"}, {{1, 1}, {3, 2}}},
      {{u"Install Service"}, {{4, 1}, {5, 2}, {6, 3}, {9, 4}, {10, 5}}},
      {{u"Control Service", u"Configure Service", u"Schedule Task", u"Delete Scheduled Task",
        u"Delete Share", u"Create IIS Site", u"Get IIS Site Index", u"Get Component Space",
        u"Get Component State", u"Set Component State", u"Set Component Space",
        u"Set Component Choice", u"Set Component Visibility", u"Delete Component"},
       {{1, 1}}},
      {{u"Configure Service Failure"}, {{1, 1}, {9, 9}, {10, 10}, {11, 11}}},
      {{u"Create User"}, {{2, 1}, {3, 2}, {9, 3}}},
      {{u"Set Access Control"}, {{1, 1}, {6, 2}}},
      {{u"Create Media Center"}, {{5, 1}}},
      {{u"System Restore"}, {{4, 1}}},
      {{u"Create Virtual Folder"}, {{1, 1}, {12, 2}, {13, 3}}},
  };
  for (const auto& [commands, ordinals] : kTable)
    if (std::find(commands.begin(), commands.end(), command) != commands.end()) return ordinals;
  return {};
}

std::u16string TranslationKey(const TranslatableStatement& s) {
  if (s.command == u"Localization Variable" && !s.parameters->empty())
    return u"TALLOWAY$" + (*s.parameters)[0] + u"$TALLOWAY";
  return s.key;
}

std::vector<std::pair<std::u16string, std::u16string>> ParseLanguageStrings(
    std::string_view bytes, const std::string& file) {
  std::vector<std::pair<std::u16string, std::u16string>> strings;
  std::set<std::u16string> seen;
  for (const SourceLine& line : SplitLines(bytes, file)) {
    if (IsBlankOrComment(line.text)) continue;
    const SourcePlace place{file, line.number};
    size_t pos = 0;
    const std::string original = ReadValue(line.text, pos, "=", place);
    if (pos >= line.text.size()) throw BuildError(place, "expected 'original = translation'");
    ++pos;
    const std::string translation = ReadValue(line.text, pos, "", place);
    if (!seen.insert(U16(original)).second)
      throw BuildError(place, "'" + original + "' is translated twice");
    strings.emplace_back(U16(original), U16(translation));
  }
  return strings;
}

std::string WriteLanguageStrings(
    const std::vector<std::pair<std::u16string, std::u16string>>& strings) {
  std::string out = "# original = translation\n";
  for (const auto& [original, translation] : strings)
    out += WriteValue(Utf16ToUtf8(original), "=", true) + " = " +
           WriteValue(Utf16ToUtf8(translation), "") + "\n";
  return out;
}

std::string TableText(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const auto& line : lines) out += Utf16ToUtf8(line) + "\r\n";
  return out;
}

std::vector<std::u16string> TableLines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<std::u16string> lines;
  while (!bytes.empty()) {
    size_t end = bytes.find("\r\n");
    lines.push_back(U16(bytes.substr(0, end)));
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 2);
  }
  return lines;
}

namespace {

struct Language {
  std::u16string name;
  std::map<std::u16string, std::u16string> strings;
  std::vector<std::u16string> table;
};

std::vector<Language> ReadLanguages(const Project& project) {
  std::vector<Language> languages;
  const std::string ext = kLanguageStringsExtension;
  for (const std::string& path : project.source->List(kLanguagesFolder)) {
    if (path.size() <= ext.size() || path.compare(path.size() - ext.size(), ext.size(), ext) != 0)
      continue;
    const std::string name = path.substr(path.rfind('/') + 1);
    Language language{U16(name.substr(0, name.size() - ext.size())), {}, {}};
    for (auto& [original, translation] : ParseLanguageStrings(*project.source->Read(path), path))
      language.strings.emplace(original, translation);
    languages.push_back(std::move(language));
  }
  return languages;
}

}  // namespace

std::vector<OutputFile> TranslationTables(const Project& project,
                                          const std::vector<TranslatableStatement>& statements) {
  std::vector<Language> languages = ReadLanguages(project);
  if (languages.empty()) return {};
  std::vector<std::u16string> keys, originals;
  for (const auto& s : statements) {
    const auto ordinals = TranslationOrdinals(s.command);
    if (ordinals.empty()) continue;
    std::vector<std::u16string> texts(size_t(ordinals.back().second));
    bool any = false;
    for (const auto& [parameter, ordinal] : ordinals) {
      if (parameter > int(s.parameters->size())) continue;
      texts[size_t(ordinal - 1)] = (*s.parameters)[size_t(parameter - 1)];
      any = any || !texts[size_t(ordinal - 1)].empty();
    }
    if (!any) continue;
    for (const auto& text : texts) {
      keys.push_back(TranslationKey(s));
      originals.push_back(text);
      for (auto& language : languages) {
        const auto it = language.strings.find(text);
        language.table.push_back(it == language.strings.end() ? text : it->second);
      }
    }
  }
  const std::string prefix = "translations.";
  std::vector<OutputFile> files = {
      {Utf16ToUtf8(project.settings.title) + ".mtx", {}, TableText(keys)},
      {prefix + "Original", {}, TableText(originals)}};
  for (const auto& language : languages)
    files.push_back({prefix + Utf16ToUtf8(language.name), {}, TableText(language.table)});
  return files;
}

std::map<std::u16string, std::vector<std::pair<std::u16string, std::u16string>>>
LanguageStringsFromTables(const std::vector<std::u16string>& keys,
                          const std::vector<std::u16string>& originals,
                          const std::map<std::u16string, std::vector<std::u16string>>& languages) {
  std::map<std::u16string, std::vector<std::pair<std::u16string, std::u16string>>> out;
  for (const auto& [name, table] : languages) {
    auto& strings = out[name];
    std::set<std::u16string> seen;
    for (size_t i = 0; i < keys.size() && i < originals.size() && i < table.size(); ++i)
      if (table[i] != originals[i] && seen.insert(originals[i]).second)
        strings.emplace_back(originals[i], table[i]);
  }
  return out;
}

}  // namespace velkor::build
