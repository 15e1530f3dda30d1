// Translation tables of the script's user-visible texts. A language is authored as
// languages/<Language>.vkl ("original = translation" lines); the build writes the key
// table (title + ".mtx"), "translations.Original" and one "translations.<Language>"
// per language, with each statement's translatable texts on consecutive lines in
// translation-ordinal order.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "build_plan.h"
#include "project.h"

namespace velkor::build {

inline constexpr char kLanguageStringsExtension[] = ".vkl";

struct TranslatableStatement {
  std::u16string command;
  std::u16string key;
  const std::vector<std::u16string>* parameters = nullptr;
};

// Parameter number -> translation ordinal of each parameter the interpreter localizes;
// empty for commands without translatable texts.
std::vector<std::pair<int, int>> TranslationOrdinals(std::u16string_view command);

// The key a statement's texts are filed under ("Localization Variable" files them under
// "TALLOWAY$" + variable + "$TALLOWAY").
std::u16string TranslationKey(const TranslatableStatement& statement);

// Parses one languages/*.vkl file into original -> translation.
std::vector<std::pair<std::u16string, std::u16string>> ParseLanguageStrings(
    std::string_view bytes, const std::string& file);
std::string WriteLanguageStrings(
    const std::vector<std::pair<std::u16string, std::u16string>>& strings);

// The generated table files (paths inside the resource archive). Empty when the project
// has no language strings.
std::vector<OutputFile> TranslationTables(const Project& project,
                                          const std::vector<TranslatableStatement>& statements);

// The reverse: language name -> strings, from the tables found in a resource archive.
std::map<std::u16string, std::vector<std::pair<std::u16string, std::u16string>>>
LanguageStringsFromTables(const std::vector<std::u16string>& keys,
                          const std::vector<std::u16string>& originals,
                          const std::map<std::u16string, std::vector<std::u16string>>& languages);

// Text file lines as the engine writes tables: UTF-8, CR LF after every line.
std::string TableText(const std::vector<std::u16string>& lines);
std::vector<std::u16string> TableLines(std::string_view bytes);

}  // namespace velkor::build
