#include "files/entry_points.h"

#include "files/file_alert.h"

namespace mv::files_hooks {

std::function<void(int16_t, int16_t)> SetChanParams;
std::function<void()> SampleRatePRECISION;
std::function<void(const std::string&, const std::string&)> FileNotice;

void ResetFilesHooks() {
  SetChanParams = [](int16_t, int16_t) {};
  SampleRatePRECISION = [] {};
  FileNotice = [](const std::string& title, const std::string& message) { FileAlert(title, message); };
}

namespace {
// The hooks hold their defaults before main runs.
[[maybe_unused]] const bool kDefaultsSet = (ResetFilesHooks(), true);
}  // namespace

}  // namespace mv::files_hooks
