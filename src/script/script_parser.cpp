#include "script/script_parser.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/text.h"
#include "script/script_format.h"

namespace velkor::script {
namespace {

using format::Section;

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") position_ = 3;
  }

  // The next line's bytes; false at the end of the data.
  bool NextRaw(std::string_view& line) {
    if (position_ >= bytes_.size()) return false;
    size_t end = position_;
    while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n') ++end;
    line = bytes_.substr(position_, end - position_);
    position_ = end;
    if (position_ < bytes_.size() && bytes_[position_] == '\r') ++position_;
    if (position_ < bytes_.size() && bytes_[position_] == '\n') ++position_;
    return true;
  }

  bool Next(std::u16string& line) {
    std::string_view raw;
    if (!NextRaw(raw)) return false;
    Decode(raw, line);
    return true;
  }

 private:
  // Most lines are ASCII: widen them directly, and hand only the others to the
  // full decoder.
  static void Decode(std::string_view utf8, std::u16string& line) {
    line.resize(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
      const auto c = static_cast<unsigned char>(utf8[i]);
      if (c >= 0x80) {
        line = core::Utf8ToUtf16(utf8);
        return;
      }
      line[i] = c;
    }
  }

  std::string_view bytes_;
  size_t position_ = 0;
};

// The size of each section's list, found by a first walk over the bytes, so that the
// tables are allocated once at their final size. A UTF-8 byte count is an upper bound
// of the UTF-16 length.
struct ListExtent {
  size_t lines = 0;
  size_t bytes = 0;
};

using Extents = std::array<ListExtent, format::kSections.size()>;

Extents MeasureLists(std::string_view bytes) {
  Extents extents;
  LineReader lines(bytes);
  std::string_view line;
  for (size_t s = 0; s < format::kSections.size(); ++s) {
    for (int i = 0; i < format::kSections[s].fixed_lines; ++i) {
      if (!lines.NextRaw(line)) return extents;
    }
    while (lines.NextRaw(line) && line != "$") {
      ++extents[s].lines;
      extents[s].bytes += line.size();
    }
  }
  return extents;
}

// Reads one section as its shape says: the fixed lines one by one, then the list.
// Every read reports false when the data ended first.
class SectionReader {
 public:
  SectionReader(LineReader& lines, Section section, const ListExtent& extent)
      : lines_(lines), shape_(format::ShapeOf(section)), extent_(extent) {}

  const ListExtent& extent() const { return extent_; }

  bool Fixed(std::u16string& value) {
    if (fixed_ >= shape_.fixed_lines) throw std::logic_error("too many fixed lines");
    ++fixed_;
    return lines_.Next(value);
  }

  template <typename Item>
  bool List(Item&& item) {
    if (fixed_ != shape_.fixed_lines) throw std::logic_error("fixed lines missing");
    while (lines_.Next(line_)) {
      if (line_ == format::kSectionEnd) return true;
      item(line_);
    }
    return false;
  }

  bool ListInto(std::vector<std::u16string>& items) {
    items.reserve(extent_.lines);
    return List([&](const std::u16string& line) { items.push_back(line); });
  }
  template <typename Lines>  // LineList or IndexedLines
  bool ListInto(Lines& items) {
    items.Reserve(extent_.lines, extent_.bytes);
    return List([&](const std::u16string& line) { items.Append(line); });
  }

 private:
  LineReader& lines_;
  const format::SectionShape& shape_;
  const ListExtent& extent_;
  int fixed_ = 0;
  std::u16string line_;
};

std::u16string_view Item(const std::vector<std::u16string>& items, size_t i) {
  return i < items.size() ? std::u16string_view(items[i]) : std::u16string_view();
}

KeyedPairs<std::u16string> TextPairs(const std::vector<std::u16string>& items) {
  KeyedPairs<std::u16string> pairs;
  for (size_t i = 0; i < items.size(); i += 2) {
    pairs.Append(items[i], std::u16string(Item(items, i + 1)));
  }
  return pairs;
}

bool ReadParameters(SectionReader& in, ScriptData& data) {
  data.parameters.Reserve(in.extent().lines, in.extent().bytes);
  return in.List([&](const std::u16string& line) {
    const bool dollar = core::EqualIgnoreCase(line, format::kDollarLine) ||
                        core::EqualIgnoreCase(line, format::kWildDollarLine);
    data.parameters.Append(dollar ? format::kSectionEnd : std::u16string_view(line));
  });
}

bool ReadProduct(SectionReader& in, ScriptData& data) {
  return in.Fixed(data.product_code) && in.Fixed(data.product_title) &&
         in.ListInto(data.plugin_commands);
}

bool ReadPublisher(SectionReader& in, ScriptData& data) {
  for (std::u16string& text : data.publisher) {
    if (!in.Fixed(text)) return false;
  }
  std::vector<std::u16string> items;
  if (!in.ListInto(items)) return false;
  data.web_media_keys = TextPairs(items);
  return true;
}

bool ReadComponents(SectionReader& in, ScriptData& data) {
  std::u16string build_mode;
  std::vector<std::u16string> items;
  if (!in.Fixed(build_mode) || !in.ListInto(items)) return false;
  data.build_mode = core::ParseInt32(build_mode).value_or(0);
  for (size_t i = 0; i < items.size(); i += 2) {
    data.component_sizes.Append(items[i], core::ParseInt64(Item(items, i + 1)).value_or(0));
  }
  return true;
}

bool ReadMediaFiles(SectionReader& in, ScriptData& data) {
  std::vector<std::u16string> items;
  if (!in.Fixed(data.revision_code) || !in.ListInto(items)) return false;
  for (size_t i = 0; i < items.size(); i += 3) {
    data.media_files.Append(MediaFile{items[i], std::u16string(Item(items, i + 1)),
                                      std::u16string(Item(items, i + 2))});
  }
  return true;
}

bool ReadLanguage(SectionReader& in, ScriptData& data) {
  std::u16string prompt;
  if (!in.Fixed(prompt) || !in.Fixed(data.default_language)) return false;
  data.language_prompt = prompt == u"TRUE";
  return in.ListInto(data.command_headers);
}

bool ReadConstants(SectionReader& in, ScriptData& data) {
  std::vector<std::u16string> items;
  if (!in.ListInto(items)) return false;
  data.constants = TextPairs(items);
  return true;
}

bool ReadSourcePositions(SectionReader& in, ScriptData& data) {
  std::u16string code_page;
  if (!in.Fixed(code_page)) return false;
  data.code_page = core::ParseInt32(code_page).value_or(0);
  return in.ListInto(data.statements.source_positions);
}

bool ReadPayload(SectionReader& in, ScriptData& data) {
  std::u16string total;
  std::vector<std::u16string> items;
  if (!in.Fixed(total) || !in.ListInto(items)) return false;
  data.payload_total = core::ParseInt64(total).value_or(0);
  data.install_map = InstallMap::FromLines(items);
  return true;
}

bool ReadSection(SectionReader& in, Section section, ScriptData& data) {
  StatementTable& s = data.statements;
  switch (section) {
    case Section::kCommands:
      return in.ListInto(s.commands);
    case Section::kKeys:
      return in.ListInto(s.keys);
    case Section::kParameters:
      return ReadParameters(in, data);
    case Section::kDisabledMarks:
      return in.ListInto(s.disabled_marks);
    case Section::kProduct:
      return ReadProduct(in, data);
    case Section::kPublisher:
      return ReadPublisher(in, data);
    case Section::kMediaFolders:
      return in.ListInto(s.media_folders);
    case Section::kComponents:
      return ReadComponents(in, data);
    case Section::kMediaFiles:
      return ReadMediaFiles(in, data);
    case Section::kLanguage:
      return ReadLanguage(in, data);
    case Section::kConstants:
      return ReadConstants(in, data);
    case Section::kSourcePositions:
      return ReadSourcePositions(in, data);
    case Section::kPayload:
      return ReadPayload(in, data);
    case Section::kIncludeScopes:
      return in.ListInto(s.include_scopes);
  }
  return false;
}

}  // namespace

ScriptLoadResult ParseScriptText(std::string_view bytes) {
  const Extents extents = MeasureLists(bytes);
  LineReader lines(bytes);
  ScriptData data;
  for (size_t i = 0; i < format::kSections.size(); ++i) {
    const format::SectionShape& shape = format::kSections[i];
    SectionReader in(lines, shape.section, extents[i]);
    if (!ReadSection(in, shape.section, data)) {
      return ScriptLoadResult::Failure(LoadFailure::kMalformed,
                                       u"The setup script is damaged: it ends inside section " +
                                           core::DecimalText(static_cast<int32_t>(shape.section)) +
                                           u".");
    }
  }
  return ScriptLoadResult::Success(ScriptTables(std::move(data)));
}

}  // namespace velkor::script
