#include "platform/sandbox/picture_format.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

LocalTime Time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
               uint16_t second) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

TEST(PictureFormatTest, FormatsDatePictures) {
  const LocalTime time = Time(2024, 3, 5, 0, 0, 0);  // a Tuesday
  struct Case {
    std::u16string_view picture;
    std::u16string_view text;
  };
  const Case cases[] = {
      {u"M/d/yyyy", u"3/5/2024"},
      {u"MM/dd/yy", u"03/05/24"},
      {u"dddd, MMMM d, yyyy", u"Tuesday, March 5, 2024"},
      {u"ddd MMM", u"Tue Mar"},
      {u"y", u"24"},
      {u"yyyy-MM-dd'T'", u"2024-03-05T"},
      {u"d 'de' MMMM", u"5 de March"},
      {u"'it''s' d", u"it's 5"},
      {u"''d''", u"'5'"},
      {u"d 'unterminated", u"5 unterminated"},
      {u"hh:mm d", u"hh:mm 5"},
      {u"gg yyyy", u"A.D. 2024"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPicture(c.picture, time, PictureKind::kDate), c.text)
        << core::Utf16ToUtf8(c.picture);
  }
  EXPECT_EQ(FormatPicture(u"y yy", Time(2007, 1, 1, 0, 0, 0), PictureKind::kDate), u"7 07");
}

TEST(PictureFormatTest, FormatsTimePictures) {
  struct Case {
    LocalTime time;
    std::u16string_view picture;
    std::u16string_view text;
  };
  const Case cases[] = {
      {Time(2024, 1, 1, 15, 7, 9), u"h:mm:ss tt", u"3:07:09 PM"},
      {Time(2024, 1, 1, 15, 7, 9), u"HH:mm:ss", u"15:07:09"},
      {Time(2024, 1, 1, 0, 5, 0), u"h:mm tt", u"12:05 AM"},
      {Time(2024, 1, 1, 12, 0, 0), u"hh t", u"12 P"},
      {Time(2024, 1, 1, 9, 3, 4), u"H:m:s", u"9:3:4"},
      {Time(2024, 1, 1, 9, 3, 4), u"HH'h'mm dd", u"09h03 dd"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPicture(c.picture, c.time, PictureKind::kTime), c.text)
        << core::Utf16ToUtf8(c.picture);
  }
}

}  // namespace
}  // namespace velkor::platform::sandbox
