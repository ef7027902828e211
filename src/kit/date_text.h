// The date and time texts the program writes: "MM/dd/yy" and "HH:mm:ss" of the
// local wall clock (comment headers, file strings, the About window's year).
#pragma once
#include <ctime>

#include "runtime/str255.h"

namespace mv {

// "MM/dd/yy" and "HH:mm:ss" of a broken-down local time.
Str255 DateText(const std::tm& when);
Str255 TimeText(const std::tm& when);
// The same for the present moment.
std::tm LocalTimeNow();
Str255 TodayDateText();
Str255 NowTimeText();

}  // namespace mv
