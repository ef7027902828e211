#include "shell/interface_choice.h"

#include "devices/connection.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};

struct ButtonRow {
  int16_t number;
  const char* title;
  Rect where;
};

void BuildInterfaceChoiceWindow() {
  BuildWINDOW(kInterfaceChoiceWindow, "Startup Routines...", 60, 54, 595, 310, 6);
  const ButtonRow buttons[] = {
      {InterfaceChoiceButton::Quit, "Quit", {15, 223, 80, 245}},
      {InterfaceChoiceButton::Help, "?", {90, 223, 130, 245}},
      {InterfaceChoiceButton::TestMode, "Test Mode", {145, 223, 235, 245}},
      {InterfaceChoiceButton::SelectAD, "Select A-D", {245, 223, 348, 245}},
  };
  for (const ButtonRow& b : buttons)
    rt::NewControl(b.number, rt::ControlType::PushButton, b.title, b.where, 1);
  rt::NewControl(InterfaceChoiceButton::Default, rt::ControlType::DefaultButton,
                 DefaultInterfaceName(PrefsArray[PrefsSlot::InterfaceCode]), Rect{356, 223, 511, 245}, 1);

  // The heading sits in the free band above the pictures (lower down they would cover it).
  EmbossPrint(1, "A-to-D converter selection", 18, 32, 35);
  struct Picture {
    const char* file;
    int16_t left, top, right, bottom;
  };
  const Picture pictures[] = {{"demo icon.gif", 19, 52, 92, 123},
                              {"DB9.gif", 103, 50, 201, 132},
                              {"UI3.gif", 204, 50, 304, 136},
                              {"DataTakers.gif", 310, 50, 414, 133},
                              {"ADAM image.gif", 430, 50, 510, 131}};
  for (const Picture& p : pictures)
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", p.file), p.left, p.top, p.right, p.bottom);
  SelectADconverterTEXT();
  rt::FlushWindow();
}

}  // namespace

Str255 DefaultInterfaceName(int16_t code) {
  switch (code) {
    case 0:
    case 1:
      return "Sable UI2";
    case 2:
      return "Sable UI3";
    case 3:
      return "DataTaker DT500";
    case 4:
      return "DataTaker DT50";
    case 5:
      return "DataTaker DT800";
    case 6:
      return "DataTaker DT80";
    case 7:
      return "DataTaker DT85";
    case 8:
      return "ADAM 4019";
    case 9:
      return "RMS ADC-1";
    case 11:
      return "Serial Streaming";
    default:
      return "";
  }
}

void SelectADconverterTEXT() {
  const rt::FontSpec font13 = KitFont(KestraneFont, 13);
  const rt::FontSpec font12 = KitFont(KestraneFont, 12);
  rt::DrawText(105, 158, "The  default Analog to Digital Converter is highlighted below;", font13, kBlack);
  rt::DrawText(105, 175, "click the 'Select A-D' button to use other A-D converters.", font13, kBlack);
  rt::DrawText(105, 196, bullet + "  Use the 'Test Mode' setting to check most operations", font12, kBlack);
  rt::FontSpec emphasis = font12;
  emphasis.italic = true;
  double x = 125;
  rt::DrawText(x, 213, "with a ", font12, kBlack);
  x += rt::TextWidth("with a ", font12);
  rt::DrawText(x, 213, "simulated ", emphasis, kBlack);
  x += rt::TextWidth("simulated ", emphasis);
  rt::DrawText(x, 213, "A-D converter.", font12, kBlack);
  DrawIcon(138, 57, 171);
}

void SelectADconverter() {
  const HandlerScope callersHandlers;
  if (PrefsArray[PrefsSlot::AutoInterface]) {
    // Test Mode remembered (interface 0) starts in Test Mode: the device window reads 0 as
    // "no interface chosen yet" and would contact a UI2.
    if (PrefsArray[PrefsSlot::InterfaceCode] == ExternalADCode::Demonstration) {
      External_AD = ExternalADCode::Demonstration;
      DemonstrationMODE = 1;
      return;
    }
    External_AD = PrefsArray[PrefsSlot::InterfaceCode];
    ExternalADtype(External_AD);
    return;
  }
  rt::StopSounds();
  BuildInterfaceChoiceWindow();
  Action = 0;
  EventID = 0;
  External_AD = 0;
  InstallDialogHandlers(NoMENU);
  for (;;) {
    rt::PumpEvents();
    const bool typedKey = Action == ActionCode::Key;
    const int32_t button = Action == ActionCode::Click ? EventID : 0;
    Action = 0;
    if (button == InterfaceChoiceButton::Quit) rt::ExitProgram(0);
    if (button == InterfaceChoiceButton::SelectAD) {
      rt::CloseWindow(kInterfaceChoiceWindow);
      ExternalADtype(0);
      return;
    }
    if (button == InterfaceChoiceButton::TestMode) {
      External_AD = ExternalADCode::Demonstration;
      DemonstrationMODE = 1;
      rt::CloseWindow(kInterfaceChoiceWindow);
      return;
    }
    if (button == InterfaceChoiceButton::Default || typedKey) {
      External_AD = PrefsArray[PrefsSlot::InterfaceCode];
      rt::CloseWindow(kInterfaceChoiceWindow);
      ExternalADtype(External_AD);
      return;
    }
    if (button == InterfaceChoiceButton::Help) {
      rt::FlushEvents();
      DoHelpWindow(kInterfaceChoiceHelpTopic);
      rt::BringWindowForward(kInterfaceChoiceWindow);
      rt::FlushEvents();
      Action = 0;
      EventID = 0;
    }
  }
}

}  // namespace mv
