// The date and time texts the program writes: "MM/dd/yy" and "HH:mm:ss" of the
// local wall clock (comment headers, file strings, the About window's year).
#pragma once
#include <ctime>

#include "runtime/str255.h"

namespace mv {

// "MM/dd/yy" and "HH:mm:ss" of a broken-down local time.
Str255 DateText(const std::tm& when);
Str255 TimeText(const std::tm& when);
// The local broken-down time of a wall-clock moment (seconds since 1970, UTC; the
// fraction of a second is dropped).
std::tm LocalTimeAt(double wallSeconds);
// The same for the present moment, on the program's clock (which tests may make virtual).
std::tm LocalTimeNow();
Str255 TodayDateText();
Str255 NowTimeText();

}  // namespace mv
