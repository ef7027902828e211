#include "files/prefs_file.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "devices/state.h"
#include "files/bytes.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/prefs_slots.h"
#include "kit/sounds.h"
#include "runtime/system.h"
#include "setup/state.h"

namespace mv {

namespace {

PrefsLoad gLastLoad = PrefsLoad::Missing;

// The file's fields in order, for a writer (const prefs) and a reader alike.
template <class IO, class P>
void Layout(IO& io, P& p) {
  for (auto& c : p.colors) io.color(c);
  for (auto& f : p.customTable) io.f32(f);
  io.text(p.titles, kTitlesWidth);
  io.text(p.threeWayLabel, kThreeWayLabelWidth);
  io.text(p.labels, kLabelsWidth);
  io.i32(p.soundIsOn);
  for (int s = 1; s <= 4; ++s) io.i16(p.slotValues[s]);
  io.i32(p.maxDisplaySpeed);
  for (int s = 5; s <= 12; ++s) io.i16(p.slotValues[s]);
  io.i32(p.digitalPort);
  io.i16(p.slotValues[13]);
  io.f32(p.sampRateError);
  io.i16(p.slotValues[30]);
  io.i16(p.slotValues[15]);
  for (auto& row : p.breakpoints)
    for (auto& f : row) io.f32(f);
  io.i16(p.slotValues[14]);
  io.i16(p.slotValues[16]);
  for (int s = 17; s <= 21; ++s) io.i16(p.slotValues[s]);
  for (int s : {51, 52, 53}) io.i16(p.slotValues[s]);
  io.i16(p.interfaceCode);
  for (int s : {57, 59, 60}) io.i16(p.slotValues[s]);
}

struct Writer {
  bytes::ByteWriter w;
  void color(const RGBColor& c) {
    w.u16le(c.red);
    w.u16le(c.green);
    w.u16le(c.blue);
  }
  void f32(float v) { w.f32be(v); }
  void i32(int32_t v) { w.i32be(v); }
  void i16(int16_t v) { w.i16be(v); }
  void text(const std::string& s, std::size_t width) { w.fixedText(s, width); }
};

struct Reader {
  bytes::ByteReader r;
  void color(RGBColor& c) {
    r.u16le(c.red);
    r.u16le(c.green);
    r.u16le(c.blue);
  }
  void f32(float& v) { r.f32be(v); }
  void i32(int32_t& v) { r.i32be(v); }
  void i16(int16_t& v) { r.i16be(v); }
  void text(std::string& s, std::size_t width) { r.fixedText(width, s); }
};

// Slots the program only ever sets to 0 or 1.
constexpr int kSwitchSlots[] = {2, 3, 5, 6, 7, 10, 14, 15, 16, 17, 18, 21, 30, 51, 52, 53, 57, 59, 60};

std::string SlotProblem(int slot, int value) {
  return "preference slot " + std::to_string(slot) + " holds " + std::to_string(value) +
         ", which the program never stores";
}

bool PrintableText(const std::string& s) {
  return std::none_of(s.begin(), s.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

template <class Range>
bool AllFinite(const Range& values) {
  return std::all_of(std::begin(values), std::end(values), [](float f) { return std::isfinite(f); });
}

void SetStoredColors(const std::array<RGBColor, 8>& c) {
  ChartFrameColor = c[0];
  ChartBackgroundColor = c[1];
  ChartDataColor = c[2];
  MarkerColor = c[3];
  ScopeDataColor = c[4];
  ScopeBackgroundColor = c[5];
  FastScopeBackground = c[6];
  ScopeFrameColor = c[7];
}

void TellRefused(const std::string& reason) {
  files_hooks::FileNotice(
      "Preferences not read",
      "The preferences file \"" + PreferencesFilePath() + "\" was not used: " + reason +
          ". The settings in use stay as they are; saving the preferences writes a new file.");
}

}  // namespace

// ---- the format ---------------------------------------------------------------------------------

StoredPreferences CapturePreferences() {
  StoredPreferences p;
  p.colors = {ChartFrameColor, ChartBackgroundColor, ChartDataColor,      MarkerColor,
              ScopeDataColor,  ScopeBackgroundColor, FastScopeBackground, ScopeFrameColor};
  for (int r = 0; r < kStoredCustomRows; ++r)
    for (int e = 0; e < kStoredCustomValues; ++e)
      p.customTable[r * kStoredCustomValues + e] = conversionsArray[9 * (r + kFirstStoredCustomRow) + e + 1];
  p.titles = bytes::FixedWidth(buttonlbls.str(), kTitlesWidth);
  p.threeWayLabel = bytes::FixedWidth(but1lbls.str(), kThreeWayLabelWidth);
  p.labels = bytes::FixedWidth(butcomments.str(), kLabelsWidth);
  p.soundIsOn = Sound_Is_On;
  p.slotValues = PrefsArray;
  p.maxDisplaySpeed = Max_Display_Speed;
  p.digitalPort = Digital_Port;
  p.sampRateError = SampRateError;
  for (int r = 0; r < kStoredBreakpointRows; ++r)
    p.breakpoints[r] = BreakpointArray[kFirstStoredBreakpointRow + r];
  p.interfaceCode = External_AD;
  return p;
}

std::string EncodePreferences(const StoredPreferences& prefs) {
  Writer io;
  Layout(io, prefs);
  return io.w.take();
}

std::string CheckPreferences(const StoredPreferences& p) {
  if (!PrintableText(p.titles) || !PrintableText(p.threeWayLabel) || !PrintableText(p.labels))
    return "a custom button title or label holds control characters";
  if (!AllFinite(p.customTable)) return "a custom button value is not a number";
  for (const auto& row : p.breakpoints)
    if (!AllFinite(row)) return "a stored breakpoint value is not a number";
  if (p.soundIsOn != 0 && p.soundIsOn != 1) return "the sound switch holds " + std::to_string(p.soundIsOn);
  for (int s : kSwitchSlots)
    if (p.slotValues[s] != 0 && p.slotValues[s] != 1) return SlotProblem(s, p.slotValues[s]);
  if (p.slotValues[PrefsSlot::WindowSizeChoice] < 0 || p.slotValues[PrefsSlot::WindowSizeChoice] > 6)
    return SlotProblem(PrefsSlot::WindowSizeChoice, p.slotValues[PrefsSlot::WindowSizeChoice]);
  if (p.slotValues[13] < 0 || p.slotValues[13] > 8) return SlotProblem(13, p.slotValues[13]);
  if (p.maxDisplaySpeed < -1) return "the status display limit holds " + std::to_string(p.maxDisplaySpeed);
  if (p.digitalPort != 0 && p.digitalPort != 2)
    return "the digital port holds " + std::to_string(p.digitalPort);
  if (!std::isfinite(p.sampRateError) || p.sampRateError <= 0.0f || p.sampRateError >= 1.0f)
    return "the rate tolerance is not a fraction between 0 and 1";
  if (p.interfaceCode < 0 || p.interfaceCode > 11)
    return "the interface code holds " + std::to_string(p.interfaceCode);
  return {};
}

ParsedPreferences DecodePreferences(std::string_view data) {
  ParsedPreferences out;
  if (data.size() != kPreferencesFileSize) {
    out.reason = "it holds " + std::to_string(data.size()) + " bytes instead of " +
                 std::to_string(kPreferencesFileSize);
    return out;
  }
  Reader io{bytes::ByteReader(data)};
  StoredPreferences p;
  Layout(io, p);
  if (!io.r.ok() || !io.r.atEnd()) {
    out.reason = "its fields do not fill it exactly";
    return out;
  }
  out.reason = CheckPreferences(p);
  if (out.reason.empty()) out.prefs = std::move(p);
  return out;
}

void ClampWindowSizeToDisplay(int displayWidth, int displayHeight) {
  auto clamp = [](int16_t& v, int minimum, int room) {
    room = std::max(room, 1);
    v = static_cast<int16_t>(std::clamp<int>(v, std::min(minimum, room), room));
  };
  clamp(PrefsArray[PrefsSlot::WindowWidth], 640, displayWidth - 50);
  clamp(PrefsArray[PrefsSlot::WindowHeight], 480, displayHeight - 80);
}

void ApplyPreferences(const StoredPreferences& p, int displayWidth, int displayHeight) {
  SetStoredColors(p.colors);
  for (int r = 0; r < kStoredCustomRows; ++r)
    for (int e = 0; e < kStoredCustomValues; ++e)
      conversionsArray[9 * (r + kFirstStoredCustomRow) + e + 1] = p.customTable[r * kStoredCustomValues + e];
  buttonlbls = Str255(std::string_view(p.titles).substr(0, kTitlesWidth));
  but1lbls = Str255(std::string_view(p.threeWayLabel).substr(0, kThreeWayLabelWidth));
  butcomments = Str255(std::string_view(p.labels).substr(0, kLabelsWidth));
  Sound_Is_On = p.soundIsOn;
  for (int s = 1; s < kPrefsSlots; ++s)
    if (IsStoredInPreferencesFile(s)) PrefsArray[s] = p.slotValues[s];
  Max_Display_Speed = p.maxDisplaySpeed;
  Digital_Port = p.digitalPort;
  SampRateError = p.sampRateError;
  for (int r = 0; r < kStoredBreakpointRows; ++r)
    BreakpointArray[kFirstStoredBreakpointRow + r] = p.breakpoints[r];
  PrefsArray[PrefsSlot::InterfaceCode] = p.interfaceCode;
  CopyThreeWayButtonToPolyRow0();
  ClampWindowSizeToDisplay(displayWidth, displayHeight);
}

// ---- entry points --------------------------------------------------------------------------------

std::string PreferencesFilePath() {
  const std::string dir = rt::ConfigDir();
  return dir.empty() ? std::string(kPreferencesFileName) : dir + "/" + kPreferencesFileName;
}

PrefsLoad GETSettings() {
  const FileBytes file = ReadFileBytes(PreferencesFilePath(), kPreferencesFileSize);
  if (file.status == ReadStatus::Missing) {
    DEFAULTCOLORS();
    return gLastLoad = PrefsLoad::Missing;
  }
  if (file.status == ReadStatus::TooLarge) {
    TellRefused("it is longer than " + std::to_string(kPreferencesFileSize) + " bytes");
    return gLastLoad = PrefsLoad::Refused;
  }
  if (file.status != ReadStatus::Ok) {
    TellRefused(file.reason);
    return gLastLoad = PrefsLoad::Refused;
  }
  const ParsedPreferences parsed = DecodePreferences(file.bytes);
  if (!parsed.prefs) {
    TellRefused(parsed.reason);
    return gLastLoad = PrefsLoad::Refused;
  }
  ApplyPreferences(*parsed.prefs, rt::DisplayWidth(), rt::DisplayHeight());
  return gLastLoad = PrefsLoad::Loaded;
}

PrefsLoad LastPreferencesLoad() {
  return gLastLoad;
}

void SetInitialColorValues() {
  SetFixedPaletteColors();
  GETSettings();
}

FileResult SavePreferencesFile() {
  return WriteFileSafely(PreferencesFilePath(), EncodePreferences(CapturePreferences()));
}

bool SAVEsettings() {
  const FileResult result = SavePreferencesFile();
  if (result) {
    wsst();
    return true;
  }
  files_hooks::FileNotice("Preferences not saved", "The preferences could not be saved (" + result.reason +
                                                       "). The file that was there is unchanged.");
  return false;
}

void CheckFileError(int) {}

StoredWindowSize WindowSizeForChoice(int16_t choice, int displayWidth, int displayHeight) {
  switch (choice) {
    case 1:
      return {640, 480};
    case 2:
      return {800, 600};
    case 3:
      return {832, 624};
    case 4:
      return {1024, 768};
    default:
      return {static_cast<int16_t>(displayWidth - 30), static_cast<int16_t>(displayHeight - 47)};
  }
}

std::optional<StoredWindowSize> StartupWindowSize(PrefsLoad load, int16_t choice, int16_t width,
                                                  int16_t height, int displayWidth, int displayHeight) {
  if (load != PrefsLoad::Loaded || choice < 1 || choice > 6) return std::nullopt;
  StoredWindowSize size = choice == 5 ? StoredWindowSize{width, height}
                                      : WindowSizeForChoice(choice, displayWidth, displayHeight);
  // Never larger than "Fill Screen" would make it on this display.
  size.width = static_cast<int16_t>(std::clamp<int>(size.width, 1, std::max(1, displayWidth - 30)));
  size.height = static_cast<int16_t>(std::clamp<int>(size.height, 1, std::max(1, displayHeight - 47)));
  return size;
}

}  // namespace mv
