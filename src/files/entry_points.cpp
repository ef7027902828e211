#include "files/entry_points.h"

#include "files/file_alert.h"

namespace mv::files_hooks {

Hook<void(int16_t, int16_t)> SetChanParams{"files_hooks::SetChanParams"};
Hook<void()> SampleRatePRECISION{"files_hooks::SampleRatePRECISION"};
Hook<void(const std::string&, const std::string&)> FileNotice{"files_hooks::FileNotice", FileAlert};
Hook<void()> GETFILECOMMENTS{"files_hooks::GETFILECOMMENTS"};
Hook<void()> ASCIIWARN{"files_hooks::ASCIIWARN"};
Hook<void(int16_t, const std::string&, bool)> ShowOnAcquisitionScreen{"files_hooks::ShowOnAcquisitionScreen"};
Hook<void()> NewPeriodScreen{"files_hooks::NewPeriodScreen"};
Hook<void()> SELECTNEXTVALVE{"files_hooks::SELECTNEXTVALVE"};

void ResetFilesHooks() {
  ResetHooks("files_hooks::");
}

}  // namespace mv::files_hooks
