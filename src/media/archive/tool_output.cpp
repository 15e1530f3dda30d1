#include "media/archive/tool_output.h"

#include <array>
#include <optional>
#include <string>

#include "core/text.h"
#include "media/archive/archive_errors.h"

namespace velkor::media::archive {
namespace {

constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kReparsePoint = 0x400;
constexpr uint32_t kUnixExtension = 0x8000;
constexpr uint32_t kUnixTypeMask = 0xF000;
constexpr uint32_t kUnixFolder = 0x4000;
constexpr uint32_t kUnixLink = 0xA000;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
  for (auto part : parts) {
    if (Contains(text, part)) return true;
  }
  return false;
}

std::optional<uint64_t> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

// Letters for the Windows attribute bits, bit 0 first ('.' for bits without one).
constexpr std::string_view kAttributeLetters = "RHS8DAdNTsLCOIEVvX.PU.M......B";

// The Unix file types by the letter that starts a mode text.
constexpr std::string_view kUnixTypes = "0pc3d5b7-9lBsDEF";

std::optional<uint32_t> UnixMode(std::string_view text) {
  if (text.size() != 10) return std::nullopt;
  const size_t type = kUnixTypes.find(text[0]);
  if (type == std::string_view::npos) return std::nullopt;
  uint32_t mode = static_cast<uint32_t>(type) << 12;
  static constexpr std::string_view kPermission = "rwxrwxrwx";
  for (size_t i = 0; i < 9; ++i) {
    const char c = text[i + 1];
    const uint32_t bit = 1u << (8 - i);
    if (c == kPermission[i] || c == 's' || c == 't') {
      mode |= bit;
    } else if (c != '-' && c != 'S' && c != 'T') {
      return std::nullopt;
    }
    if (c == 's' || c == 'S') mode |= i == 2 ? 0x800 : 0x400;
    if (c == 't' || c == 'T') mode |= 0x200;
  }
  return mode;
}

std::optional<uint32_t> Hex8(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | digit;
  }
  return value;
}

// Days from 1601-01-01 to the date (proleptic Gregorian).
int64_t DaysSince1601(int64_t year, int64_t month, int64_t day) {
  // Days from civil, counted from 0000-03-01, then shifted.
  year -= month <= 2;
  const int64_t era = year / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const int64_t days_since_epoch = era * 146097 + day_of_era - 719468;  // from 1970-01-01
  return days_since_epoch + 134774;
}

struct Field {
  std::string_view key, value;
};

std::optional<Field> SplitField(std::string_view line) {
  const size_t equals = line.find(" =");
  if (equals == std::string_view::npos || equals == 0) return std::nullopt;
  std::string_view value = line.substr(equals + 2);
  if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return Field{line.substr(0, equals), value};
}

// Completes an item from the fields that only some formats give.
void FinishItem(ArchiveItem& item, bool has_attributes, std::optional<uint32_t> mode) {
  if (!has_attributes && mode) item.attributes = kUnixExtension | *mode << 16;
  const bool unix = (item.attributes & kUnixExtension) != 0 || (item.attributes >> 16) != 0;
  const uint32_t type = unix ? (item.attributes >> 16) & kUnixTypeMask : 0;
  if (type == kUnixFolder) item.is_folder = true;
  if (type == kUnixLink || (item.attributes & kReparsePoint) != 0) item.is_link = true;
  if (item.attributes & kDirectory) item.is_folder = true;
  if (item.is_folder) item.attributes |= kDirectory;
  for (auto& c : item.name) {
    if (c == u'/') c = u'\\';
  }
}

}  // namespace

uint64_t ParseListingTime(std::string_view text) {
  // YYYY-MM-DD HH:MM:SS[.fraction]
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return 0;
  }
  auto number = [&](size_t at, size_t length) { return Decimal(text.substr(at, length)); };
  const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  if (!year || !month || !day || !hour || !minute || !second || *year < 1601 || *month < 1 ||
      *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60) {
    return 0;
  }
  uint64_t ticks = 0;
  if (text.size() > 19) {
    if (text[19] != '.') return 0;
    const std::string_view fraction = text.substr(20, 7);
    const auto digits = Decimal(fraction);
    if (!digits) return 0;
    ticks = *digits;
    for (size_t i = fraction.size(); i < 7; ++i) ticks *= 10;
  }
  const int64_t days = DaysSince1601(static_cast<int64_t>(*year), static_cast<int64_t>(*month),
                                     static_cast<int64_t>(*day));
  const uint64_t seconds =
      static_cast<uint64_t>(days) * 86400 + *hour * 3600 + *minute * 60 + *second;
  return seconds * 10000000 + ticks;
}

uint32_t ParseListingAttributes(std::string_view text) {
  uint32_t attributes = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view token = text.substr(start, end - start);
    start = end + 1;
    if (token.empty()) continue;
    if (auto mode = UnixMode(token)) {
      attributes = (attributes & 0xFFFF) | kUnixExtension | *mode << 16;
    } else if (auto raw = Hex8(token)) {
      attributes |= *raw;
    } else {
      for (char c : token) {
        const size_t bit = kAttributeLetters.find(c);
        if (bit != std::string_view::npos && c != '.') attributes |= 1u << bit;
      }
    }
  }
  return attributes;
}

std::vector<ArchiveItem> ParseTechnicalListing(std::string_view output) {
  std::vector<ArchiveItem> items;
  // Archive properties come first; the items follow a line of ten dashes.
  const size_t separator = output.find("\n----------\n");
  if (separator == std::string_view::npos) return items;
  std::string_view rest = output.substr(separator + 12);

  std::optional<ArchiveItem> item;
  bool has_attributes = false;
  std::optional<uint32_t> mode;
  auto finish = [&] {
    if (!item) return;
    FinishItem(*item, has_attributes, mode);
    items.push_back(std::move(*item));
    item.reset();
    has_attributes = false;
    mode.reset();
  };

  while (!rest.empty()) {
    size_t end = rest.find('\n');
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    const auto field = SplitField(line);
    if (!field) {
      if (line.empty()) finish();
      continue;
    }
    if (field->key == "Path") {
      finish();
      item.emplace();
      item->name = core::Utf8ToUtf16(field->value);
      continue;
    }
    if (!item) continue;
    if (field->key == "Size") {
      item->size = Decimal(field->value).value_or(0);
    } else if (field->key == "Packed Size") {
      item->packed_size = Decimal(field->value).value_or(0);
    } else if (field->key == "Modified") {
      item->time = ParseListingTime(field->value);
    } else if (field->key == "Attributes") {
      item->attributes = ParseListingAttributes(field->value);
      has_attributes = true;
    } else if (field->key == "Mode") {
      mode = UnixMode(field->value);
    } else if (field->key == "Folder") {
      item->is_folder = field->value == "+";
    } else if (field->key == "Symbolic Link" || field->key == "Hard Link") {
      if (!field->value.empty()) item->is_link = true;
    }
  }
  finish();
  return items;
}

uint32_t ClassifyToolFailure(int exit_code, std::string_view output) {
  using namespace error_code;
  switch (exit_code) {
    case 0:
      return kNone;
    case 1:
      return kWarnings;
    case 7:
      return kBadArguments;
    case 8:
      return kOutOfMemory;
    case 255:
      return kStopped;
    case 2:
      break;
    default:
      return kToolFailed;
  }
  if (ContainsAny(output, {"Can't allocate required memory", "E_OUTOFMEMORY"})) return kOutOfMemory;
  // Encrypted names with a wrong password: the archive cannot even be listed.
  if (ContainsAny(output, {"Cannot open encrypted archive", "Can't open as archive",
                           "Can not open the file as", "Cannot open the file as", "Is not archive",
                           "is not supported archive", "Unsupported archive type"})) {
    return kCannotOpen;
  }
  if (Contains(output, "Wrong password")) return kWrongPassword;
  if (ContainsAny(output, {"Data Error", "CRC Failed", "Headers Error", "Unexpected end of",
                           "Unsupported Method", "Unavailable data"})) {
    return kDataError;
  }
  // 7za.exe prints the system's text for E_INVALIDARG, in English only on English systems.
  if (ContainsAny(output, {"E_INVALIDARG", "The parameter is incorrect", "Invalid parameter",
                           "Unsupported switch", "Unknown switch", "Incorrect item in listfile"})) {
    return kBadArguments;
  }
  return kFatal;
}

}  // namespace velkor::media::archive
