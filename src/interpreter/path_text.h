// Path and line-break texts shared by the variable, string and text-file commands:
// the normalized path form, the line-break marker, the parts "Extract Path" cuts from a
// path and the absolute form "Convert Path" looks up. Pure text functions, except
// NormalizedPath, which reads the variable store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/variables.h"

namespace velkor::interpreter {

// Stands for CR LF inside variable values; the reserved variable NEWLINE expands it back.
inline constexpr std::u16string_view kNewlineMarker = u"$NEWLINE$";

// Every pair of backslashes, taken left to right, becomes one backslash: "\\\\" gives
// "\\", "\\\" gives "\\".
std::u16string ReplaceBackslashPairs(std::u16string_view text);

// The normalized form of an already expanded path: backslash pairs replaced, but a
// leading pair (a network path) kept.
std::u16string NormalizeExpandedPath(std::u16string_view expanded);
// Expands the variable references in `text`, then normalizes it.
std::u16string NormalizedPath(const script::Variables& variables, std::u16string_view text);

// Every CR LF becomes the marker, and back (the marker in any case).
std::u16string LineBreaksToMarkers(std::u16string_view text);
std::u16string MarkersToLineBreaks(std::u16string_view text);

// The parts "Extract Path" takes by number; any other number leaves the path as it is.
enum class PathPart : int32_t {
  kFileName = 0,
  kBaseName = 1,       // file name without its extension
  kExtension = 2,      // without the leading "."
  kFolder = 3,         // with a trailing backslash
  kParentFolder = 4,   // with a trailing backslash
  kDrive = 5,          // "C:\" or "\\server\share\"
  kPairsReplaced = 6,  // every backslash pair replaced, the leading one too
};
// Folders and drives are empty when the path has none. "\", "/" and ":" separate.
std::u16string ExtractPathPart(std::u16string_view path, int32_t part);

// "C:" or "\\server\share" (also "\\?\C:"), or empty for a relative path.
std::u16string_view DriveOf(std::u16string_view path);

// The path with "/" read as "\", empty and "." components dropped and ".." resolved
// (never above the root); a drive-relative "C:name" is taken from the drive's root. A
// trailing separator is kept. "\\?\" paths and paths without a drive stay as they are:
// the engine has no working folder of its own to resolve them against.
std::u16string AbsolutePath(std::u16string_view path);

}  // namespace velkor::interpreter
