#include "platform/sandbox/machine_profile.h"

#include <charconv>
#include <cstdio>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/sandbox/host_files.h"

namespace velkor::platform::sandbox {
namespace {

// Calls `field(name, member)` for every named fact, in file order. One list serves
// parsing and writing so that the two cannot drift apart.
template <typename Profile, typename Field>
void ForEachField(Profile& p, Field&& field) {
  field("VERSION_MAJOR", p.version_major);
  field("VERSION_MINOR", p.version_minor);
  field("VERSION_BUILD", p.version_build);
  field("PLATFORM_ID", p.platform_id);
  field("PRODUCT_TYPE", p.product_type);
  field("SERVICE_PACK_MAJOR", p.service_pack_major);
  field("SERVICE_PACK", p.service_pack);
  field("IS_64BIT_WINDOWS", p.is_64bit_windows);
  field("IS_WOW64_PROCESS", p.is_wow64_process);
  field("IS_ADMINISTRATOR", p.is_administrator);
  field("IS_ELEVATED", p.is_elevated);
  field("USER_NAME", p.user_name);
  field("COMPUTER_NAME", p.computer_name);
  field("DOMAIN_NAME", p.domain_name);
  field("REGISTERED_OWNER", p.registered_owner);
  field("REGISTERED_ORGANIZATION", p.registered_organization);
  field("TOTAL_MEMORY", p.total_memory);
  field("PROCESSOR_COUNT", p.processor_count);
  field("SCREEN_WIDTH", p.screen_width);
  field("SCREEN_HEIGHT", p.screen_height);
  field("SCREEN_DPI", p.screen_dpi);
  field("USER_LOCALE", p.user_locale);
  field("SYSTEM_LOCALE", p.system_locale);
  field("DESKTOP_COMPOSITION", p.desktop_composition);
  field("VISUAL_STYLES", p.visual_styles);
  field("SHORT_DATE_FORMAT", p.short_date_format);
  field("LONG_DATE_FORMAT", p.long_date_format);
  field("TIME_FORMAT", p.time_format);
  field("FIXED_CLOCK", p.fixed_clock);
  field("REMOVABLE_DRIVES", p.removable_drives);
}

bool ParseValue(std::string_view text, std::u16string& out) {
  out = core::Utf8ToUtf16(text);
  return true;
}

bool ParseValue(std::string_view text, bool& out) {
  const std::u16string value = core::Upper(core::Utf8ToUtf16(text));
  if (value == u"TRUE" || value == u"1") return out = true, true;
  if (value == u"FALSE" || value == u"0") return out = false, true;
  return false;
}

template <typename Integer>
bool ParseValue(std::string_view text, Integer& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "YYYY-MM-DD hh:mm:ss" with optional ".mmm"; empty for the real clock.
bool ParseValue(std::string_view text, std::optional<LocalTime>& out) {
  if (text.empty()) return out.reset(), true;
  unsigned y, mo, d, h, mi, s, ms = 0;
  char tail = 0;
  const std::string copy(text);
  const int fields = std::sscanf(copy.c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%3u%c", &y, &mo, &d, &h,
                                 &mi, &s, &ms, &tail);
  if ((fields != 6 && fields != 7) || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
      s > 59) {
    return false;
  }
  LocalTime time;
  time.year = static_cast<uint16_t>(y);
  time.month = static_cast<uint16_t>(mo);
  time.day = static_cast<uint16_t>(d);
  time.hour = static_cast<uint16_t>(h);
  time.minute = static_cast<uint16_t>(mi);
  time.second = static_cast<uint16_t>(s);
  time.milliseconds = static_cast<uint16_t>(ms);
  time.day_of_week = DayOfWeek(time.year, time.month, time.day);
  out = time;
  return true;
}

std::string FormatValue(const std::u16string& value) {
  return core::Utf16ToUtf8(value);
}
std::string FormatValue(bool value) {
  return value ? "TRUE" : "FALSE";
}
template <typename Integer>
std::string FormatValue(Integer value) {
  return std::to_string(value);
}
std::string FormatValue(const std::optional<LocalTime>& value) {
  if (!value) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", value->year, value->month,
                value->day, value->hour, value->minute, value->second, value->milliseconds);
  return text;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

Status LineError(size_t line_number, std::string_view line, const char* what) {
  return Status::Failure(error::kInvalidData,
                         u"profile line " + core::U16(std::to_string(line_number)) + u" (" +
                             core::Utf8ToUtf16(line) + u"): " + core::U16(what));
}

// Applies one NAME=VALUE line; unknown names are kept aside.
Status ApplyLine(MachineProfile& profile, std::string_view line, size_t line_number) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return LineError(line_number, line, "expected NAME=VALUE");
  const std::string_view name = Trim(line.substr(0, equals));
  const std::string_view value = Trim(line.substr(equals + 1));
  bool known = false;
  bool parsed = true;
  ForEachField(profile, [&](const char* field_name, auto& member) {
    if (known || !core::EqualIgnoreCase(core::U16(field_name), core::Utf8ToUtf16(name))) return;
    known = true;
    parsed = ParseValue(value, member);
  });
  if (!known) profile.other_lines.emplace_back(name, value);
  if (!parsed) return LineError(line_number, line, "the value is not valid for this name");
  return Status::Ok();
}

}  // namespace

Result<MachineProfile> ParseProfile(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  MachineProfile profile;
  size_t line_number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (Status s = ApplyLine(profile, line, line_number); !s) return s;
  }
  return profile;
}

std::string ProfileText(const MachineProfile& profile) {
  std::string text = "# Velkor sandbox machine profile: NAME=VALUE, UTF-8.\n";
  ForEachField(profile, [&](const char* name, const auto& member) {
    text += std::string(name) + "=" + FormatValue(member) + "\n";
  });
  for (const auto& [name, value] : profile.other_lines) text += name + "=" + value + "\n";
  return text;
}

Result<MachineProfile> LoadProfile(const std::filesystem::path& file) {
  Result<std::string> text = ReadHostFile(file);
  if (!text.ok()) return text.status();
  return ParseProfile(*text);
}

Status SaveProfile(const std::filesystem::path& file, const MachineProfile& profile) {
  return WriteHostFileAtomically(file.parent_path(), file, ProfileText(profile));
}

uint16_t DayOfWeek(uint16_t year, uint16_t month, uint16_t day) {
  static constexpr int kMonthOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 1 || month > 12) return 0;
  const int y = month < 3 ? year - 1 : year;
  return static_cast<uint16_t>((y + y / 4 - y / 100 + y / 400 + kMonthOffset[month - 1] + day) % 7);
}

}  // namespace velkor::platform::sandbox
