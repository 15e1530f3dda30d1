// Windows path texts taken apart and put together without asking the file system: the
// folder and file name of a path, trailing backslashes, the last folder name. Paths use
// "\" (a drive's ":" also ends a folder part, as "C:file" shows).
#pragma once

#include <string>
#include <string_view>

namespace velkor::core {

// The text with exactly the trailing backslash it had, or one added; the empty text
// stays empty, so that a missing folder never turns into the root of the current drive.
std::u16string WithTrailingBackslash(std::u16string_view folder);
// The text without its trailing backslashes.
std::u16string_view WithoutTrailingBackslash(std::u16string_view folder);

// The folder part of a path, up to and including its last "\" or ":"; empty when the
// path names no folder.
std::u16string_view FolderOfPath(std::u16string_view path);
// The text after the folder part.
std::u16string_view FileNameOfPath(std::u16string_view path);
// The file name without its extension (the text from the last "." of the name on).
std::u16string_view BaseNameOfPath(std::u16string_view path);

// The name of the folder a folder path ends in, a trailing backslash ignored
// ("C:\Cache\{A}\" gives "{A}").
std::u16string_view LastFolderName(std::u16string_view folder);
// The folder that holds it, with a trailing backslash ("C:\Cache\{A}\" gives "C:\Cache\");
// empty when the path has no parent part.
std::u16string ParentFolder(std::u16string_view folder);

}  // namespace velkor::core
