// The language file that the build tool appends to the archive library "vex.lib" beside
// the engine: it replaces the message table's default texts at start-up.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace velkor::startup {

// Reads a language file into the message table. The file exists only during the call.
using LanguageFileReader = std::function<void(const std::u16string& path)>;

inline constexpr std::u16string_view kArchiveLibraryName = u"vex.lib";
inline constexpr std::u16string_view kAttachedLanguageFileName = u"lang.loc";

// Copies the bytes after the image of engine folder + "vex.lib" to work folder +
// "lang.loc", hands that file to `read_language_file` and deletes it. A missing library,
// one that is not a PE image or one without appended bytes leaves the texts as they are.
// The library is read as a file, never loaded: its size on disk is all that counts.
void AttachedLanguageFile(platform::FileSystem& files, std::u16string_view engine_folder,
                          std::u16string_view work_folder,
                          const LanguageFileReader& read_language_file);

}  // namespace velkor::startup
