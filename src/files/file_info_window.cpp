#include "files/file_info_window.h"

#include <array>
#include <string>

#include "files/comment_text.h"
#include "files/data_file_model.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/printing.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t W = kFileInfoWindow;
constexpr int16_t kWidth = 560, kHeight = 480;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kCaptionGray{0x4000, 0x4000, 0x4000};
constexpr RGBColor kWarningRed{0xC000, 0, 0};
constexpr std::array<int16_t, 5> kConditionFields = {kFlowRateField, kMassField, kPressureField,
                                                     kFlowTempField, kVolumeField};
// Labels in file order; the degree sign is Mac Roman byte 161.
constexpr std::array<const char*, 5> kConditionLabels = {
    "flow rate (ml/min):", " mass (g):", " barometric pressure (torr):",
    "  flow temperature (\xA1"
    "C):",
    "  effective volume (ml):"};

struct Session {
  bool sable = false;
  ExperimentConditions atOpening;
  int lastLength = -1;
  bool overLimit = false;
  bool done = false;
  bool endedByMenu = false;
};

rt::FontSpec Font(double size, bool bold = false) {
  rt::FontSpec f = KitFont(KestraneFont, size);
  f.bold = bold;
  return f;
}

void Text(const std::string& text, int16_t x, int16_t y, double size, bool bold = false,
          RGBColor colour = kBlack) {
  rt::DrawText(x, y, text, Font(size, bold), colour);
}

void Picture(const char* file, int16_t left, int16_t top) {
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", file), left, top, static_cast<int16_t>(left + 48),
                static_cast<int16_t>(top + 48));
}

// The kind of file being saved, at the foot of the window.
void DrawBanner(bool sable) {
  const char* image = "raw chart file.gif";
  const char* caption = "Kestrane chart file";
  if (sable) {
    image = "SSCF.png";
    caption = "SSCF binary file";
  } else if (ScopeFileComments == 1) {
    image = "raw scope file.gif";
    caption = "Kestrane scope file";
  }
  DoubleLINE(16, kWidth - 16, 406);
  Picture(image, 20, 418);
  Text(caption, 78, 447, 12, false, kCaptionGray);
}

void BuildSableLayout() {
  EmbossPrint(1, "Edit file comments...", 20, 20, 34);
  Picture("SSCF.gif", 400, 8);
  Text("Sable ExpeData format", 400, 70, 12, false, kCaptionGray);
  BUILDEF(kCommentField, "", 20, 82, kWidth - 20, 330, 2, 1);
  Text(PrintedNumber(kSableCommentLimit).str() + " characters maximum; current length is:", 20, 360, 16);
  const int16_t x = static_cast<int16_t>(
      26 + rt::TextWidth(PrintedNumber(kSableCommentLimit).str() + " characters maximum; current length is:",
                         Font(16)));
  BUILDEF(kCommentLengthField, "", x, 344, static_cast<int16_t>(x + 50), 364, 7, 1);
  rt::SetEditFont(kCommentLengthField, Font(16, true));
}

void BuildConditionsLayout() {
  EmbossPrint(1, "Type your comments here...", 20, 20, 34);
  BUILDEF(kCommentField, "", 20, 46, kWidth - 20, 226, 2, 1);
  Text("Edit gas exchange data as needed:", 20, 256, 14, true);
  const ExperimentConditions c = CurrentExperimentConditions();
  const std::array<float, 5> values = {c.flowrate, c.mass, c.BarometricPressure, c.flowtemp,
                                       c.EffectiveVolume};
  for (int i = 0; i < 5; ++i) {
    const auto top = static_cast<int16_t>(268 + 26 * i);
    const std::string label = kConditionLabels[i];
    rt::DrawText(226 - rt::TextWidth(label, Font(12)), top + 15, label, Font(12), kBlack);
    BUILDEF(kConditionFields[i], ConditionText(values[i]), 232, top, 332, static_cast<int16_t>(top + 20), 3,
            1);
  }
  rt::NewControl(kStandardConditionsButton, rt::ControlType::PushButton, "Set to STP Conditions",
                 Rect{370, 320, 540, 344}, 1);
}

void BuildWindow(Session& s) {
  if (rt::WindowExists(W)) rt::CloseWindow(W);
  BuildWINDOW(W, "File information", 60, 60, 60 + kWidth, 60 + kHeight, 6);
  SetWindowBackground(LightGray, true);
  if (s.sable)
    BuildSableLayout();
  else
    BuildConditionsLayout();
  rt::SetEditFont(kCommentField, Font(12));
  TextViewSetTextFromMyContainer(kCommentField);
  DrawBanner(s.sable);
  rt::NewControl(kFileInfoHelpButton, rt::ControlType::PushButton, "?", Rect{366, 432, 394, 456}, 1);
  rt::NewControl(kFileInfoOKButton, rt::ControlType::DefaultButton, "Selections OK", Rect{410, 432, 540, 456},
                 1);
  if (s.sable) {
    // The caret at the end of the comment, so typing adds to it.
    rt::FocusEditField(kCommentField);
    rt::SelectEditText(kCommentField, 1 << 30, -1);
  } else {
    for (int16_t f : kConditionFields) rt::SelectEditText(f, 0, 0);
    rt::FocusEditField(kFlowRateField);
    rt::SelectEditText(kFlowRateField, 0, -1);
  }
  rt::FlushWindow();
}

// Keys typed in the comment view stay in it: Return starts a new line there, and
// only the condition fields take Return and Tab as window commands.
void FileInfoKey(const std::string& key) {
  if (!key.empty() && (key[0] == 13 || key[0] == 3) && rt::FocusedEditField() == kCommentField) {
    rt::InsertIntoFocusedField("\r");
    return;
  }
  CheckRETURN(key);
}

void InstallHandlers() {
  rt::SetOutputWindow(W);
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(FileInfoKey);
  rt::SetMouseHandler(noMOUSE);
}

void NextConditionField() {
  const int16_t now = rt::FocusedEditField();
  const int16_t next =
      (now >= kFlowRateField && now < kVolumeField) ? static_cast<int16_t>(now + 1) : kFlowRateField;
  rt::FocusEditField(next);
  rt::SelectEditText(next, 0, -1);
}

// The Sable export keeps 240 characters: the count follows the typing and warns
// when the text reaches the limit.
void ShowCommentLength(Session& s) {
  const int length =
      static_cast<int>(FixContainerASCIIforSave(MacRomanToUtf8(rt::EditText(kCommentField))).size());
  if (length == s.lastLength) return;
  s.lastLength = length;
  rt::SetEditText(kCommentLengthField, PrintedNumber(length).str());
  if (length >= kSableCommentLimit) {
    PlaySound("AlarmBUZZ.mp3", "MVsounds");
    if (!s.overLimit) {
      BUILDEF(kCommentLengthWarning, "only the first 240 are saved", 20, 370, 400, 390, 7, 1);
      rt::SetEditColors(kCommentLengthWarning, kWarningRed, LightGray);
    }
    s.overLimit = true;
  } else if (s.overLimit) {
    rt::DisposeEditField(kCommentLengthWarning);
    s.overLimit = false;
    upVipSOUND();
  }
}

void HandleEvent(Session& s) {
  switch (Action) {
    case ActionCode::Click:
      switch (EventID) {
        case kFileInfoOKButton:
          s.done = true;
          break;
        case kFileInfoHelpButton:
          DoHelpWindow(190);
          InstallHandlers();
          break;
        case kStandardConditionsButton:
          rt::SetEditText(kPressureField, "760");
          rt::SetEditText(kFlowTempField, "0");
          break;
        default:
          break;
      }
      break;
    case ActionCode::CloseBox:
      if (EventID == W) s.done = true;
      break;
    case ActionCode::Key:
      if (!s.sable && rt::FocusedEditField() == kVolumeField) s.done = true;
      break;
    case ActionCode::Tab:
      if (!s.sable) NextConditionField();
      break;
    default:
      break;
  }
}

void ReadConditions(const Session& s) {
  ConditionTexts texts;
  for (int i = 0; i < 5; ++i) texts[i] = rt::EditText(kConditionFields[i]);
  StoreExperimentConditions(
      ConditionsFromFields(texts, s.atOpening, CurrentExperimentConditions(), s.endedByMenu));
}

}  // namespace

void GETFILECOMMENTS() {
  const HandlerScope callersHandlers;
  AppendSpikeSummaryToComment();
  Session s;
  s.sable = PrefsArray[PrefsSlot::SaveSable] != 0;
  s.atOpening = CurrentExperimentConditions();
  BuildWindow(s);
  rt::EnableMenuItem(2, 0, true);
  rt::DrawMenuBar();
  Action = 0;
  EventID = 0;
  MENUID = 0;
  InstallHandlers();
  while (!s.done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    if (MENUID == 255) {
      s.endedByMenu = true;
      break;
    }
    HandleEvent(s);
    if (s.sable && !s.done) ShowCommentLength(s);
    Action = 0;
    EventID = 0;
  }
  if (!rt::WindowExists(W)) return;  // closed from outside: nothing to read back
  rt::SetOutputWindow(W);
  if (!s.sable) ReadConditions(s);
  TextViewGetTextCopyIntoMyContainer(kCommentField);
  rt::CloseWindow(W);
  Action = ActionCode::Redraw;
}

void SetPrintJobName(const Str255& name) {
  rt::SetPrintJobName(MakeCFString(name));
}

}  // namespace mv
