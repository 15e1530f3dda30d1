// Windows date and time pictures (GetDateFormat/GetTimeFormat), with English names:
//   date: d dd ddd dddd  M MM MMM MMMM  y yy yyyy  g gg
//   time: h hh H HH  m mm  s ss  t tt
// Text between single quotes is literal ('' is one quote, inside quotes or out); other
// characters, and the letters of the other kind, are copied. Pure; thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace velkor::platform::sandbox {

enum class PictureKind { kDate, kTime };

std::u16string FormatPicture(std::u16string_view picture, const LocalTime& time, PictureKind kind);

}  // namespace velkor::platform::sandbox
