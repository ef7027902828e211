// The "Setup Data" window (window 17): where the set-up report goes (a printer, or a
// PDF file through the print dialog, or a text file) and which optional sections it
// carries; control state 2 is checked, 1 clear.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "conversions/needs.h"
#include "files/file_io.h"
#include "files/needs.h"
#include "files/setup_report.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/panels.h"
#include "runtime/printing.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t W = 17;
constexpr int16_t kPrinter = 1, kTextFile = 2, kOK = 3, kCancel = 4, kFirstSection = 5, kLastSection = 8;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kSendingColour{0, 0, 0xDDDD};

void WindowMenuHandler(int16_t menu, int16_t item) {
  services::ShortMENU(menu, item);
}

void BuildReportWindow() {
  rt::CloseWindow(W);
  const int16_t left = static_cast<int16_t>(std::max(0, (PrefsArray[PrefsSlot::WindowWidth] - 450) / 2));
  BuildWINDOW(W, "Setup Data", left, 60, static_cast<int16_t>(left + 460), 330, 6);
  rt::DrawImage(rt::LoadImage(rt::ResourcePath("MVimages", "setup file image.gif")), Rect{0, 0, 64, 64});
  EmbossPrint(1, "Setup Information", 32, 80, 44);
  BuildGrayBox(20, 80, 440, 190, 0);
  rt::DrawText(30, 104, "Options...", KitFont(0, 20), kBlack);
  rt::NewControl(kFirstSection, rt::ControlType::CheckBox, "Show Trigger Settings", Rect{40, 114, 230, 132},
                 2);
  rt::NewControl(6, rt::ControlType::CheckBox, "Show Switching Settings", Rect{40, 138, 230, 156}, 2);
  rt::NewControl(7, rt::ControlType::CheckBox, "Show Display Settings", Rect{240, 114, 430, 132}, 2);
  rt::NewControl(kLastSection, rt::ControlType::CheckBox, "Show Alarm Settings", Rect{240, 138, 430, 156}, 2);
  rt::NewControl(kPrinter, rt::ControlType::RadioButton, "Send to Printer or pdf", Rect{20, 204, 220, 222},
                 2);
  rt::NewControl(kTextFile, rt::ControlType::RadioButton, "Send to Text File", Rect{20, 228, 220, 246}, 1);
  rt::NewControl(kCancel, rt::ControlType::PushButton, "Cancel", Rect{260, 228, 340, 252}, 1);
  rt::NewControl(kOK, rt::ControlType::DefaultButton, "OK", Rect{355, 228, 440, 252}, 1);
  rt::FlushWindow();
  InstallDialogHandlers(WindowMenuHandler);
  Action = 0;
  EventID = 0;
}

// Runs the window: true to write the report, with the choices made.
bool ChooseReport(bool& toPrinter, SetupReportSections& sections) {
  bool checked[kLastSection + 1] = {false, false, false, false, false, true, true, true, true};
  toPrinter = true;
  bool go = false, done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click) {
      const auto b = static_cast<int16_t>(EventID);
      if (b == kPrinter || b == kTextFile) {
        toPrinter = b == kPrinter;
        rt::SetControlState(kPrinter, toPrinter ? 2 : 1);
        rt::SetControlState(kTextFile, toPrinter ? 1 : 2);
      } else if (b >= kFirstSection && b <= kLastSection) {
        checked[b] = !checked[b];
        rt::SetControlState(b, checked[b] ? 2 : 1);
      } else if (b == kOK || b == kCancel) {
        go = b == kOK;
        done = true;
      }
    } else if (Action == ActionCode::CloseBox) {
      go = done = EventID == W;
    } else if (Action == ActionCode::Key) {
      go = done = EventID == 0 || EventID == 13 || EventID == 3;
    }
    Action = 0;
    EventID = 0;
  }
  sections = {checked[5], checked[6], checked[7], checked[8]};
  return go;
}

// The page set-up and print dialogs, then the report on the chosen printer (or file).
void SendToPrinter(const SetupReport& report) {
  rt::SetPrintJobName("setup data.pdf");
  rt::PrintedReport printed;
  printed.heading = ExpandTabs(report.heading);
  printed.body = ExpandTabs(report.body);
  printed.logoPath = rt::ResourcePath("MVimages", "MVlogo.gif");
  std::string failure;
  const rt::PrintResult result = rt::PrintReport(printed, [] {
    rt::SetOutputWindow(W);
    auto font = KitFont(0, 17);
    font.bold = true;
    rt::DrawText(230, 218, "sending data to printer....", font, kSendingColour);
    rt::FlushWindow();
  }, &failure);
  if (result == rt::PrintResult::Failed) files_hooks::FileNotice("The set-up report was not printed", failure);
}

void SendToTextFile(const std::string& report) {
  const std::optional<std::string> path = rt::SaveFilePanel("Save setup data...", "setup data.txt");
  if (!path) return;
  const FileResult r = WriteFileSafely(*path, report);
  if (!r)
    files_hooks::FileNotice("The set-up report was not saved",
                            "\"" + std::filesystem::path(*path).filename().string() + "\": " + r.reason);
}

}  // namespace

void PRINTSETUP() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildReportWindow();
  bool toPrinter = true;
  SetupReportSections sections;
  if (ChooseReport(toPrinter, sections)) {
    const SetupReport report = BuildSetupReport(sections, TodayDateText().str());
    if (toPrinter)
      SendToPrinter(report);
    else
      SendToTextFile(report.heading + report.body);
  }
  rt::CloseWindow(W);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
