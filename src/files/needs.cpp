#include "files/needs.h"

#include "files/ascii_warn.h"
#include "files/file_alert.h"
#include "files/file_info_window.h"

namespace mv::files_hooks {

Hook<void(int16_t, int16_t)> SetChanParams{"files_hooks::SetChanParams"};
Hook<void()> SampleRatePRECISION{"files_hooks::SampleRatePRECISION"};
Hook<void()> SetupLoadedMaxAverage{"files_hooks::SetupLoadedMaxAverage"};
Hook<void(int16_t, const std::string&, bool)> ShowOnAcquisitionScreen{"files_hooks::ShowOnAcquisitionScreen"};
Hook<void()> NewPeriodScreen{"files_hooks::NewPeriodScreen"};
Hook<void(const std::string&, const std::string&)> FileNotice{"files_hooks::FileNotice", FileAlert};
Hook<void()> GETFILECOMMENTS{"files_hooks::GETFILECOMMENTS", ::mv::GETFILECOMMENTS};
Hook<void()> ASCIIWARN{"files_hooks::ASCIIWARN", ::mv::ASCIIWARN};

void ResetFilesHooks() {
  ResetHooks("files_hooks::");
}

}  // namespace mv::files_hooks
