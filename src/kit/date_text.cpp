#include "kit/date_text.h"

#include <string>

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

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

Str255 TodayDateText() {
  return DateText(LocalTimeNow());
}

Str255 NowTimeText() {
  return TimeText(LocalTimeNow());
}

}  // namespace mv
