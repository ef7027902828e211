#include "kit/date_text.h"

#include <cmath>
#include <string>

#include "runtime/clock.h"

namespace mv {

namespace {

// Two digits with a leading zero; only the last two digits of larger values.
std::string TwoDigits(int value) {
  if (value < 0) value = 0;
  value %= 100;
  return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

}  // namespace

Str255 DateText(const std::tm& when) {
  return Str255(TwoDigits(when.tm_mon + 1) + "/" + TwoDigits(when.tm_mday) + "/" + TwoDigits(when.tm_year));
}

Str255 TimeText(const std::tm& when) {
  return Str255(TwoDigits(when.tm_hour) + ":" + TwoDigits(when.tm_min) + ":" + TwoDigits(when.tm_sec));
}

std::tm LocalTimeAt(double wallSeconds) {
  const std::time_t when = static_cast<std::time_t>(std::floor(wallSeconds));
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

std::tm LocalTimeNow() {
  return LocalTimeAt(rt::WallClockSecondsAt(rt::Microseconds()));
}

Str255 TodayDateText() {
  return DateText(LocalTimeNow());
}

Str255 NowTimeText() {
  return TimeText(LocalTimeNow());
}

}  // namespace mv
