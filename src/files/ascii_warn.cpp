#include "files/ascii_warn.h"

#include <algorithm>
#include <array>

#include "files/data_file_save.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t W = kTextCautionWindow;
constexpr RGBColor kBlack{0, 0, 0};
constexpr std::array<int16_t, 4> kMenus = {1, 2, 4, 5};

rt::FontSpec Font(double size, bool bold) {
  rt::FontSpec f = KitFont(KestraneFont, size);
  f.bold = bold;
  return f;
}

void MarkTimeColumn() {
  rt::SetControlState(kTextCautionTimeColumn, PrefsArray[PrefsSlot::TimeColumn] != 0 ? 2 : 1);
}

void BuildCaution() {
  BuildWINDOW(W, "Text Data Files", 80, 50, 560, 200, 262);
  BuildGrayBox(4, 4, 476, 146, 1);
  DrawIcon(138, 14, 44);
  rt::DrawText(54, 38, "CAUTION. . .", Font(28, true), kBlack);
  rt::DrawText(53, 37, "CAUTION. . .", Font(28, true), RGBred);
  rt::DrawText(54, 62, "You have chosen to store data in text files.", Font(14, true), kBlack);
  rt::DrawText(54, 82, "No comments or file data are stored with text files.  To use", Font(12, false),
               kBlack);
  rt::DrawText(54, 98, "binary storage, select 'Binary data' from the File MENU now.", Font(12, false),
               kBlack);
  BUILDBUTTON(kTextCautionTimeColumn, 1, "INCLUDE elapsed time as a variable", 20, 118, 2, 0);
  MarkTimeColumn();
  rt::NewControl(kTextCautionContinue, rt::ControlType::PushButton, "Continue", Rect{370, 112, 462, 136}, 1);
  rt::FlushWindow();
}

}  // namespace

void ASCIIWARN() {
  const HandlerScope callersHandlers;
  std::array<bool, kMenus.size()> wasEnabled{};
  for (std::size_t i = 0; i < kMenus.size(); ++i) wasEnabled[i] = rt::MenuItemEnabled(kMenus[i], 0);
  for (int16_t m : {2, 4, 5}) rt::EnableMenuItem(m, 0, false);
  rt::EnableMenuItem(1, 0, true);
  rt::DrawMenuBar();
  BuildCaution();
  rt::SysBeep();
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click && EventID == kTextCautionContinue) done = true;
    if (Action == ActionCode::Click && EventID == kTextCautionTimeColumn) {
      TogglePrefs(PrefsSlot::TimeColumn);
      MarkTimeColumn();
    }
    Action = 0;
    EventID = 0;
  }
  rt::CloseWindow(W);
  for (std::size_t i = 0; i < kMenus.size(); ++i) rt::EnableMenuItem(kMenus[i], 0, wasEnabled[i]);
  rt::DrawMenuBar();
  Action = ActionCode::Redraw;
}

FileResult SaveASCII(const std::string& path, int16_t progress) {
  TextProgress follow;
  if (progress == 1) {
    BuildWINDOW(kTextSaveProgressWindow, "Saving Text File....", 100, 100, 440, 160, 262);
    buildProgressBAR(20, 20, 320, 30, 0, 2);  // the writer gives the range with the first rows
    follow = [](int32_t done, int32_t rows) {
      if (!rt::WindowExists(kTextSaveProgressWindow)) return;
      rt::SetOutputWindow(kTextSaveProgressWindow);
      rt::SetControlRange(kProgressBarControl, 1, std::max(rows, 2));
      rt::SetControlValue(kProgressBarControl, done);
      rt::FlushWindow();
      rt::PeekEvents();
    };
  }
  FileResult r = SaveTextDataFile(path, RunPhase::Closed, follow);
  if (r) wsst();
  if (progress == 1 && rt::WindowExists(kTextSaveProgressWindow)) rt::CloseWindow(kTextSaveProgressWindow);
  return r;
}

}  // namespace mv
