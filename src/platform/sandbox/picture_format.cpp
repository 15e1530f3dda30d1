#include "platform/sandbox/picture_format.h"

#include <array>

#include "core/decimal.h"
#include "platform/sandbox/machine_profile.h"

namespace velkor::platform::sandbox {
namespace {

constexpr std::array<std::u16string_view, 7> kDayNames = {
    u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
constexpr std::array<std::u16string_view, 12> kMonthNames = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

std::u16string Number(unsigned value, size_t min_digits) {
  std::u16string text = core::DecimalText(uint32_t{value});
  if (text.size() < min_digits) text.insert(0, min_digits - text.size(), u'0');
  return text;
}

// The name, or its three-letter abbreviation.
std::u16string Name(std::u16string_view name, size_t count) {
  return std::u16string(count >= 4 ? name : name.substr(0, 3));
}

std::u16string DateField(char16_t letter, size_t count, const LocalTime& t) {
  switch (letter) {
    case u'd':
      if (count <= 2) return Number(t.day, count);
      return Name(kDayNames[DayOfWeek(t.year, t.month, t.day)], count);
    case u'M':
      if (count <= 2) return Number(t.month, count);
      if (t.month < 1 || t.month > 12) return u"";
      return Name(kMonthNames[t.month - 1], count);
    case u'y':
      if (count <= 2) return Number(t.year % 100, count);
      return Number(t.year, 4);
    default:  // 'g': the era
      return u"A.D.";
  }
}

std::u16string TimeField(char16_t letter, size_t count, const LocalTime& t) {
  const size_t digits = count >= 2 ? 2 : 1;
  switch (letter) {
    case u'h':
      return Number(t.hour % 12 == 0 ? 12 : t.hour % 12, digits);
    case u'H':
      return Number(t.hour, digits);
    case u'm':
      return Number(t.minute, digits);
    case u's':
      return Number(t.second, digits);
    default:  // 't': the AM/PM marker, or its first letter
      return std::u16string(t.hour < 12 ? u"AM" : u"PM").substr(0, digits);
  }
}

bool IsField(char16_t c, PictureKind kind) {
  const std::u16string_view letters = kind == PictureKind::kDate ? u"dMyg" : u"hHmst";
  return letters.find(c) != std::u16string_view::npos;
}

// Copies a quoted literal starting after the opening quote; returns the index after it.
size_t CopyQuoted(std::u16string_view picture, size_t i, std::u16string& out) {
  while (i < picture.size()) {
    if (picture[i] != u'\'') {
      out += picture[i++];
    } else if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
      out += u'\'';
      i += 2;
    } else {
      return i + 1;
    }
  }
  return i;
}

}  // namespace

std::u16string FormatPicture(std::u16string_view picture, const LocalTime& time, PictureKind kind) {
  std::u16string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char16_t c = picture[i];
    if (c == u'\'') {
      const bool doubled = i + 1 < picture.size() && picture[i + 1] == u'\'';
      if (doubled) out += u'\'';
      i = doubled ? i + 2 : CopyQuoted(picture, i + 1, out);
      continue;
    }
    if (!IsField(c, kind)) {
      out += c;
      ++i;
      continue;
    }
    size_t count = 0;
    while (i < picture.size() && picture[i] == c) ++count, ++i;
    out += kind == PictureKind::kDate ? DateField(c, count, time) : TimeField(c, count, time);
  }
  return out;
}

}  // namespace velkor::platform::sandbox
