#include "files/entry_points.h"

#include "files/file_alert.h"

namespace mv::files_hooks {

std::function<void(int16_t, int16_t)> SetChanParams;
std::function<void()> SampleRatePRECISION;
std::function<void(const std::string&, const std::string&)> FileNotice;
std::function<void()> GETFILECOMMENTS;
std::function<void()> ASCIIWARN;
std::function<void(int16_t, const std::string&, bool)> ShowOnAcquisitionScreen;
std::function<void()> NewPeriodScreen;
std::function<void()> SELECTNEXTVALVE;

void ResetFilesHooks() {
  SetChanParams = [](int16_t, int16_t) {};
  SampleRatePRECISION = [] {};
  FileNotice = [](const std::string& title, const std::string& message) { FileAlert(title, message); };
  GETFILECOMMENTS = [] {};
  ASCIIWARN = [] {};
  ShowOnAcquisitionScreen = [](int16_t, const std::string&, bool) {};
  NewPeriodScreen = [] {};
  SELECTNEXTVALVE = [] {};
}

namespace {
// The hooks hold their defaults before main runs.
[[maybe_unused]] const bool kDefaultsSet = (ResetFilesHooks(), true);
}  // namespace

}  // namespace mv::files_hooks
