// The text form of a compiled setup script, shared by its writer (the build tool) and
// its reader (the engine's loader), so that the two cannot drift apart.
//
// The text is UTF-8 (an optional byte-order mark at the very start), one item per line,
// lines ended by CR LF. It is a sequence of fourteen sections, each ended by a line that
// is exactly kSectionEnd. A section is some fixed lines followed by a list; the list
// runs until the section's end line. Per-statement sections hold one line per
// statement (line i describes statement i, counted from 0).
#pragma once

#include <array>
#include <string_view>

namespace velkor::script::format {

inline constexpr std::u16string_view kSectionEnd = u"$";

// A parameter that is a lone "$" would end its section early; it is stored as one of
// these lines (either is accepted on reading, in any case) and restored on load.
inline constexpr std::u16string_view kDollarLine = u"$DOLLAR$";
inline constexpr std::u16string_view kWildDollarLine = u"$WILD_DOLLAR$";

// The second line of an install map group's two header lines.
inline constexpr std::u16string_view kGroupMarker = u"NEWHEADER";

// Separates the two fields of a source position (file*line) and an include scope
// (return variable*depth).
inline constexpr char16_t kFieldSeparator = u'*';
// Include scope of the main script's statements.
inline constexpr std::u16string_view kMainScriptScope = u"0*0";

// The disabled mark of a commented-out statement.
inline constexpr std::u16string_view kDisabledMark = u"C";

enum class Section {
  kCommands = 1,     // per statement: command name
  kKeys,             // per statement: statement key (braced GUID)
  kParameters,       // list: per statement with parameters, its key then its parameters
  kDisabledMarks,    // per statement: kDisabledMark or empty
  kProduct,          // product code, title; list: plug-in command names
  kPublisher,        // six publisher texts; list: (block name, stored key) pairs
  kMediaFolders,     // per statement: relative folder ending in "\" or empty
  kComponents,       // build mode; list: (component name, size) pairs
  kMediaFiles,       // revision code; list: (block, path, payload folder) triples
  kLanguage,         // prompt flag, default language; list: (header, index) pairs
  kConstants,        // list: (name, value) pairs
  kSourcePositions,  // a number the engine does not use; per statement: file*line
  kPayload,          // payload total; list: the install map
  kIncludeScopes,    // per statement: return variable*depth
};

struct SectionShape {
  Section section;
  int fixed_lines;     // read one by one before the list ("$" lines included)
  bool per_statement;  // the list has exactly one line per statement
};

inline constexpr std::array<SectionShape, 14> kSections = {{
    {Section::kCommands, 0, true},
    {Section::kKeys, 0, true},
    {Section::kParameters, 0, false},
    {Section::kDisabledMarks, 0, true},
    {Section::kProduct, 2, false},
    {Section::kPublisher, 6, false},
    {Section::kMediaFolders, 0, true},
    {Section::kComponents, 1, false},
    {Section::kMediaFiles, 1, false},
    {Section::kLanguage, 2, false},
    {Section::kConstants, 0, false},
    {Section::kSourcePositions, 1, true},
    {Section::kPayload, 1, false},
    {Section::kIncludeScopes, 0, true},
}};

inline constexpr int kMaxFixedLines = 6;

constexpr const SectionShape& ShapeOf(Section section) {
  return kSections[static_cast<int>(section) - 1];
}

}  // namespace velkor::script::format
