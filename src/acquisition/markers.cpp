#include "acquisition/markers.h"

#include <algorithm>
#include <cmath>

#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

// Positions of a scope sweep: 1 to MaximumScopeSamples (16,384), and position 0.
constexpr int kSweepPositions = 16'385;

RGBColor ToRGBColor(RGBf c) {
  const auto part = [](double f) {
    return static_cast<uint16_t>(std::lround(std::clamp(f, 0.0, 1.0) * 65535.0));
  };
  return RGBColor{part(c.red), part(c.green), part(c.blue)};
}

// The label of a marker: the number of a numbered marker (without the sign blank),
// else the one character.
Str255 MarkerLabel(int32_t code) {
  if (code >= 200) {
    Str255 n = NumText(code - 200);
    return n.size() > 1 && n[0] == ' ' ? n.mid(2) : n;
  }
  return Str255(1, static_cast<char>(code & 0xFF));
}

void DrawMarker(int16_t colour, int32_t code, int16_t top, int labelDx) {
  rt::SetOutputWindow(kAcquisitionWindow);
  if (PrefsArray[PrefsSlot::DashedMarkers]) PrefsArray[PrefsSlot::DashPattern] = 4;
  const int16_t x = PresentChartX();
  PlotCGrgb(1.0f, x, top, x, static_cast<int16_t>(BottomOfPlot - 2), MarkerColor);
  PrefsArray[PrefsSlot::DashPattern] = 0;

  const int16_t baseline =
      RecordingMODE == RecordingModeCode::ScopeChart ? static_cast<int16_t>(top - 3) : 43;
  const rt::FontSpec font = KitFont(KestraneFont, 10);
  const RGBColor textColour = ToRGBColor(LinePalette(colour));
  if (code < 200 && colour == 6) {
    rt::FontSpec bold = font;
    bold.bold = true;
    rt::DrawText(x - 6, baseline, "s", bold, textColour);
    rt::DrawText(x - 1, baseline, MarkerLabel(code), font, textColour);
  } else {
    rt::DrawText(x + labelDx, baseline, MarkerLabel(code), font, textColour);
  }
}

// The bookkeeping and the actions every marker shares; false when the table is full.
bool RecordMarker(int32_t code) {
  if (Nmarkers >= kMaxMarkers) {
    ShowMarkerTableFull();
    return false;
  }
  const bool first = Nmarkers == 0;
  Nmarkers += 1;
  // The user learns it when the last place is taken, not only at the next refusal.
  if (Nmarkers == kMaxMarkers) ShowMarkerTableFull();
  markerFlag = 1;
  if (first) acq_hooks::FirstMarkerCheck();
  const int32_t upper = code & 0xFFDF;
  if (upper == 'Q')
    acq_hooks::Q_Key_check();
  else if (upper == 'X')
    acq_hooks::X_Key_check();
  return true;
}

void FinishMarker(int32_t code) {
  MarkersArray[Nmarkers] = MarkerRecord{0, Sample, code};
  if (Sound_Is_On && !rt::SoundIsPlaying()) PlaySound("mark.mp3", "MVsounds");
}

}  // namespace

int16_t PresentChartX() {
  const float view = ChartView > 0.0f ? ChartView : 1.0f;
  const float x = static_cast<float>(NscrnCASEs) / view;
  return static_cast<int16_t>(std::clamp(std::trunc(x), -32768.0f, 32767.0f));
}

bool InsertMarker(int16_t colour, int32_t code, int16_t top) {
  ControlStripClicked = 0;
  if (!RecordMarker(code)) return false;
  DrawMarker(colour, code, top, -2);
  FinishMarker(code);
  ControlStripClicked = 0;
  return true;
}

bool InsertScanMarker(int32_t code) {
  if (!RecordMarker(code)) return false;
  DrawMarker(7, code, kKeyMarkerTop, -1);
  if (code >= 200) MarkerCounter += 1;
  FinishMarker(code);
  return true;
}

bool InsertFastScopeMarker(int32_t code) {
  if (!RecordMarker(code)) return false;
  rt::SetOutputWindow(kAcquisitionWindow);
  if (PrefsArray[PrefsSlot::DashedMarkers]) PrefsArray[PrefsSlot::DashPattern] = 4;
  const int16_t x = PresentChartX();
  scbottom = static_cast<int16_t>(std::trunc(ChannelVariables[1][ChanField::StripBottom] + 1.0f));
  PlotCGrgb(1.0f, x, scbottom, x, static_cast<int16_t>(BottomOfPlot - 2), MarkerColor);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  FinishMarker(code);
  rt::DrawText(x + 2, BottomOfPlot - 15, MarkerLabel(code), KitFont(1, 10), MarkerColor);
  return true;
}

bool RecordMarkerAfterRun(int32_t code, int32_t sample) {
  if (!RecordMarker(code)) return false;
  MarkersArray[Nmarkers] = MarkerRecord{0, sample, code};
  return true;
}

void KeepMarkersWithinRun(int32_t lastSample) {
  const int count = std::clamp<int>(Nmarkers, 0, kMaxMarkers);
  for (int i = 1; i <= count; ++i) MarkersArray[i].sample = std::min(MarkersArray[i].sample, lastSample);
}

int32_t DeviceSwitchMarkerCode(int32_t code) {
  return ShowSwitchDeviceAsMarker ? '0' + DeviceInUse : code;
}

bool InsertDeviceSwitchMarker(int32_t code, int16_t top) {
  return InsertMarker(7, DeviceSwitchMarkerCode(code), top);
}

void CLEARARRAY() {
  for (int row = 1; row <= 3; ++row) {
    std::copy_n(scopedata[4].begin(), kSweepPositions, scopedata[row].begin());
  }
}

void ResetRunCounters() {
  Sample = 0;
  ScSample = 0;
  TotScopeSample = 0;
  scope2total = 0;
  LastChannelScannedInRun = false;
  NscrnCASEs = 0;
  Nmarkers = 0;
  CLEARARRAY();
}

bool AddNote(int32_t sample, const Str255& time, std::string_view text) {
  if (NumberOfNotes < 0 || NumberOfNotes >= kMaxNotes) return false;
  NumberOfNotes += 1;
  NoteRecord& note = fileRemarks[NumberOfNotes];
  note.sample = NumText(sample);
  note.time = time;
  note.text = Str255(text.substr(0, kMaxNoteLength));
  return true;
}

}  // namespace mv
