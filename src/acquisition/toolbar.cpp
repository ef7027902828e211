#include "acquisition/toolbar.h"

#include <string>

#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {
namespace {

constexpr int kMouseReleaseWaitTicks = 600;  // a held button is waited for at most 10 s

bool Streaming() {
  return External_AD == ExternalADCode::SerialStream;
}

// Makes a window the output window and gives the previous one back on leaving.
class OutputWindowScope {
 public:
  explicit OutputWindowScope(int16_t number) : previous_(rt::OutputWindow()) {
    if (rt::WindowExists(number)) rt::SetOutputWindow(number);
  }
  ~OutputWindowScope() {
    if (previous_ != 0 && rt::WindowExists(previous_)) rt::SetOutputWindow(previous_);
  }
  OutputWindowScope(const OutputWindowScope&) = delete;
  OutputWindowScope& operator=(const OutputWindowScope&) = delete;

 private:
  int16_t previous_;
};

void ToolbarMouse(int /*clicks*/) {
  if (rt::LastClickWindow() != kToolbarWindow || !rt::ApplicationIsActive()) return;
  const Point p = rt::LastClickPosition();
  ApplyToolbarClick(p.h, p.v);
}

// The open note's answer, taken by whichever pass of the event pump delivers it: the
// toolbar's pass and the note's own both pump, and an answer left in Action for the
// note's next pass would be lost if another pass cleared it first.
enum class NoteAnswer { None, Ok, Cancel };
NoteAnswer gNoteAnswer = NoteAnswer::None;

bool NoteInFront() {
  return NoteWindowIsOpen != 0 && rt::FrontWindow() == kNoteWindow;
}

// A control click comes from the front window; a close box from whichever window it is.
void TakeNoteAnswer(int16_t kind, int16_t item) {
  if (NoteWindowIsOpen == 0) return;
  if (kind == ActionCode::CloseBox && item == kNoteWindow) gNoteAnswer = NoteAnswer::Cancel;
  if (kind != ActionCode::Click || !NoteInFront()) return;
  if (item == 1) gNoteAnswer = NoteAnswer::Ok;
  if (item == 2) gNoteAnswer = NoteAnswer::Cancel;
}

// The note field's keys: Return or Enter is the OK button.
void NoteKey(const std::string& key) {
  CheckRETURN(key);
  if (!key.empty() && (key[0] == '\r' || key[0] == 3) && NoteInFront()) gNoteAnswer = NoteAnswer::Ok;
}

// The recording's dialog handler: the usual codes, an answer to the open note, and a
// first click on the toolbar while another window is in front counts as a click on
// its icon.
void RecordingDialog(int16_t kind, int16_t item) {
  doDIALOG(kind, item);
  TakeNoteAnswer(kind, item);
  if (kind == 3 && item == kToolbarWindow) ToolbarMouse(1);
}

void RaiseIcon(ToolbarIcon icon) {
  switch (icon) {
    case kStopIcon: StopIconClicked = 1; break;
    case kPauseIcon: PauseIconClicked = 1; break;
    case kResumeIcon: ResumeIconClicked = 1; break;
    case kNoteIcon:
      GetFileNote();
      MarkerIconClicked = 1;
      break;
    case kAddTimeIcon: AddTimeIconClicked = 1; break;
    case kReplayIcon: ReplayIconClicked = 1; break;
    case kTimeToRefIcon: TimeToRefIconClicked = 1; break;
    case kBackupIcon: BackupIconClicked = 1; break;
    case kReferenceIcon: ReferenceIconClicked = 1; break;
    case kSampleIcon: SampleIconClicked = 1; break;
    case kSaveScopeIcon: SaveScopeIconClicked = 1; break;
    case kNoIcon: break;
  }
}

void WaitForMouseUp() {
  const uint32_t start = rt::TickCount();
  while (rt::Button() && rt::TickCount() - start < kMouseReleaseWaitTicks) rt::PumpEvents(0);
}

void BuildNoteWindow() {
  BuildWINDOW(kNoteWindow, "Enter Notes -- No Arrow Keys or Cursor", 410, 45, 980, 130, 6);
  BUILDEF(kNoteField, "", 5, 5, 565, 52, 1, 0);
  BUILDEF(kNoteCountField, "0", 5, 62, 90, 81, 5, 3);
  BUILDEF(kNoteCaptionField, "characters (250 possible)", 95, 62, 320, 81, 5, 0);
  rt::NewControl(2, rt::ControlType::PushButton, "Cancel", Rect{340, 62, 470, 81}, 1);
  rt::NewControl(1, rt::ControlType::DefaultButton, "OK", Rect{490, 62, 560, 81}, 1);
}

void CloseNoteWindow() {
  NoteWindowIsOpen = 0;
  if (rt::WindowExists(kNoteWindow)) rt::CloseWindow(kNoteWindow);
  downVipSOUND();
}

}  // namespace

int16_t MakeAcquisitionTOOLBAR(int16_t /*flag*/) {
  const ToolbarPicture pic = ToolbarPictureFor(Streaming(), RecordingMODE, SwitchingMode,
                                               PrefsArray[PrefsSlot::LightToolbar] == 1);
  const int16_t previous = rt::OutputWindow();
  if (rt::WindowExists(kToolbarWindow)) rt::CloseWindow(kToolbarWindow);
  rt::OpenWindow(kToolbarWindow, " ", Rect{pic.left, 10, static_cast<int16_t>(pic.left + pic.width + 4), 62}, 14);
  const int16_t right = RecordingMODE == RecordingModeCode::Chart ? static_cast<int16_t>(pic.width + 4) : pic.width;
  rt::DrawImage(rt::LoadImage(rt::ResourcePath("MVimages", pic.file)), Rect{0, 12, right, 52});
  rt::FlushWindow();
  ToolbarTimeStart = 0;
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
  return 0;
}

void ApplyToolbarClick(int x, int y) {
  ControlStripClicked = 1;
  ClearToolbarFlags();
  ControlStripClicked = 1;
  RaiseIcon(ToolbarHit(x, y, RecordingMODE));
}

int16_t ReadControlStrip() {
  OutputWindowScope scope(kToolbarWindow);
  rt::SetMouseHandler(ToolbarMouse);
  rt::SetDialogHandler(RecordingDialog);
  MouseWasClicked = rt::Button() ? 1 : 0;
  rt::PumpEvents(0);
  return 0;
}

int16_t ShowToolbarHelpWindow() {
  if (RecordingMODE != RecordingModeCode::Chart || Streaming() || !rt::WindowExists(kToolbarWindow)) return 0;
  Point p;
  {
    OutputWindowScope scope(kToolbarWindow);
    p = rt::GetMouse();
  }
  if (p.h < 0 || p.h > 400 || p.v < 1 || p.v > 38) {
    if (rt::WindowExists(kHelpTagWindow)) rt::CloseWindow(kHelpTagWindow);
    ToolbarTimeStart = 0;
    return 0;
  }
  const int32_t now = static_cast<int32_t>(rt::TickCount());
  if (ToolbarTimeStart == 0) ToolbarTimeStart = now;
  TotalToolbarTime = now - ToolbarTimeStart;
  if (TotalToolbarTime < 91) return 0;
  const HelpTag tag = ToolbarHelpTag(p.h, replayTheData != 0);
  if (!tag.text.empty()) MakeSheetWindow(tag.x, tag.text);
  return 0;
}

int16_t MakeSheetWindow(int16_t x, const Str255& text) {
  if (rt::WindowExists(300)) return 0;
  static Str255 shown;
  static int16_t shownX = -1;
  // The tag already showing stays as it is: opening it afresh on every pass while
  // the mouse rests would only make it flicker.
  if (rt::WindowExists(kHelpTagWindow) && shown == text && shownX == x) return 0;
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  const int width = rt::TextWidth(text.str(), font);
  const int16_t previous = rt::OutputWindow();
  if (rt::WindowExists(kHelpTagWindow)) rt::CloseWindow(kHelpTagWindow);
  rt::OpenWindow(kHelpTagWindow, "", Rect{x, 62, PixelCoord(x + width + 20), 85}, 10);
  CGdrawBox(0, RGBColor{}, 1, 0, 0, 400, 40, 0);
  rt::DrawText(10, 17, text.str(), font, RGBColor{0, 0, 0});
  rt::FlushWindow();
  shown = text;
  shownX = x;
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
  return 0;
}

int16_t GetFileNote() {
  if (NumberOfNotes >= kMaxNotes) {
    PlaySound("bzot.mp3", "MVsounds");
    ControlStripClicked = 0;
    return 0;
  }
  if (rt::WindowExists(1)) {
    rt::SetOutputWindow(1);
    upVipSOUND();
    const int16_t x = PixelCoord(ChartView != 0 ? NscrnCASEs / static_cast<double>(ChartView) : 0.0);
    PrefsArray[PrefsSlot::DashPattern] = 6;
    PlotCG(1.0f, x, 34, x, static_cast<int16_t>(BottomOfPlot - 2), 0);
    PrefsArray[PrefsSlot::DashPattern] = 0;
    rt::FlushWindow();
  }
  WaitForMouseUp();
  // The note belongs to the moment the icon was clicked, not to when OK is pressed.
  NoteSample = Sample;
  notetime = NowTimeText();
  BuildNoteWindow();
  NoteWindowIsOpen = 1;
  gNoteAnswer = NoteAnswer::None;
  ControlStripClicked = 0;
  return 0;
}

bool StoreNote(const std::string& text) {
  if (text.empty() || NumberOfNotes >= kMaxNotes) return false;
  NumberOfNotes = static_cast<int16_t>(NumberOfNotes + 1);
  NoteRecord& note = fileRemarks[NumberOfNotes];
  note.sample = NumText(NoteSample);
  note.time = notetime;
  note.text = NoteBytes(text, kMaxNoteLength);
  return true;
}

int16_t HandleNotes() {
  ControlStripClicked = 0;
  if (!rt::WindowExists(kNoteWindow)) {
    NoteWindowIsOpen = 0;
    return 0;
  }
  OutputWindowScope scope(kNoteWindow);
  rt::SetEditKeyHandler(NoteKey);
  rt::SetDialogHandler(RecordingDialog);
  rt::SetMouseHandler(ToolbarMouse);
  if (rt::FocusedEditField() != kNoteField) rt::FocusEditField(kNoteField);
  rt::PumpEvents(0);
  if (!rt::WindowExists(kNoteWindow)) return 0;
  // The keys typed come in with the pump, so the count is taken after it: the count
  // shows the text as it stands, not as it stood one key before.
  std::string text = rt::EditText(kNoteField);
  if (text.size() > kMaxNoteLength) {
    rt::SysBeep();
    text = NoteBytes(text, kMaxNoteLength);
    rt::SetEditText(kNoteField, text);
  }
  rt::SelectEditText(kNoteField, static_cast<int>(text.size()), static_cast<int>(text.size()));
  rt::SetEditText(kNoteCountField, std::to_string(text.size()));
  const NoteAnswer answer = gNoteAnswer;
  if (answer == NoteAnswer::None) return 0;
  gNoteAnswer = NoteAnswer::None;
  if (answer == NoteAnswer::Ok) StoreNote(rt::EditText(kNoteField));
  CloseNoteWindow();
  Action = 0;
  return 0;
}

}  // namespace mv
