// The spike-filter settings window (window 18) as its loop.
#include <algorithm>

#include "conversions/conversions_window.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace SpikeControl;
constexpr int16_t kWindow = kSpikeFilterWindow;
constexpr int16_t kHelpTopic = 168;
constexpr int16_t kADMenu = 4, kSpikeFilterItem = 12;
constexpr int16_t kLeft = 60, kTop = 40, kWidth = 630;
constexpr int16_t kRowsTop = 46, kRowPitch = 24, kSmallestPitch = 18;
// What lies below the rows: the presets, double filtration, "?" and "Done", and the
// line that refuses a threshold.
constexpr int16_t kFooter = 95;
constexpr int16_t kRefusalField = 400;
constexpr RGBColor kBlack{0, 0, 0};

RGBColor Red() {
  const RGBf c = LinePalette(6);
  return RGBColor{static_cast<uint16_t>(c.red * 65535), static_cast<uint16_t>(c.green * 65535),
                  static_cast<uint16_t>(c.blue * 65535)};
}

int16_t Channels() {
  return static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
}

// Rows 24 pixels apart; with 16 channels on a small display they close up so the
// whole window stays on the screen.
int16_t RowPitch(int16_t channels) {
  if (channels <= 0) return kRowPitch;
  const int room = rt::DisplayHeight() - kTop - 8 - kRowsTop - kFooter;
  return static_cast<int16_t>(
      std::clamp(room / channels, static_cast<int>(kSmallestPitch), static_cast<int>(kRowPitch)));
}

class SpikeFilterWindow {
 public:
  void Run() {
    state_ = SpikeWindowAtOpening(Channels());
    Build();
    for (;;) {
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) break;
      const int16_t action = Action;
      const int32_t item = EventID;
      Action = 0;
      EventID = 0;
      if (action == ActionCode::Click) {
        if (item == Done && LeaveAllowed()) break;
        if (item != Done) Click(static_cast<int16_t>(item));
      } else if (action == ActionCode::CloseBox ||
                 (action == ActionCode::WindowActivity && item != kWindow)) {
        if (LeaveAllowed()) break;
        rt::BringWindowForward(kWindow);
      }
    }
    Leave();
  }

 private:
  void Build() {
    const int16_t n = Channels();
    pitch_ = RowPitch(n);
    const auto rowsBottom = static_cast<int16_t>(kRowsTop + pitch_ * n);
    BuildWINDOW(kWindow, "Data Spike Filter", kLeft, kTop, kLeft + kWidth,
                static_cast<int16_t>(kTop + rowsBottom + kFooter), 6);
    const rt::FontSpec font = KitFont(KestraneFont, 12);
    const Str255 head = bullet + ":   Spike thresholds are differences between successive readings, in the";
    rt::DrawText(10, 16, head.str(), font, kBlack);
    const Str255 second = "       units of the channel's input (volts for a voltage input), and must be ";
    rt::DrawText(10, 32, second.str(), font, kBlack);
    rt::DrawText(10 + rt::TextWidth(second.str(), font), 32, "positive values > 1.0", font, Red());
    for (int16_t ch = 1; ch <= n; ++ch) BuildRow(ch);
    BuildFooter(rowsBottom, font);
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(NoMENU);
    rt::FlushWindow();
  }

  void BuildRow(int16_t ch) {
    const auto top = static_cast<int16_t>(kRowsTop + pitch_ * (ch - 1));
    const auto bottom = static_cast<int16_t>(top + pitch_ - 3);
    rt::NewControl(ch, rt::ControlType::CheckBox, SpikeRowTitle(ch), Rect{10, top, 250, bottom},
                   state_.ratios[ch] != 0.0f ? 2 : 1);
    const auto field = static_cast<int16_t>(FirstField + ch);
    BUILDEF(field, state_.fields[ch], 256, top, 336, bottom, 3, 2);
    rt::SelectEditText(field, 0, 0);
    BUILDEF(static_cast<int16_t>(FirstLabel + ch), StoredChannelLabel(ch), 348, top, 620, bottom, 7, 0);
  }

  void BuildFooter(int16_t rowsBottom, const rt::FontSpec& font) {
    DoubleLINE(0, kWidth, static_cast<int16_t>(rowsBottom + 4));
    const auto top = static_cast<int16_t>(rowsBottom + 12);
    const auto bottom = static_cast<int16_t>(top + 22);
    rt::NewControl(AllOff, rt::ControlType::PushButton, "all filters off", Rect{10, top, 140, bottom}, 1);
    rt::DrawText(170, top + 16, "set filters to:", font, kBlack);
    static constexpr const char* kPresets[] = {"1.2", "1.5", "2", "5", "10"};
    for (int16_t b = FirstPreset; b <= LastPreset; ++b) {
      const auto left = static_cast<int16_t>(280 + 56 * (b - FirstPreset));
      rt::NewControl(b, rt::ControlType::PushButton, kPresets[b - FirstPreset],
                     Rect{left, top, static_cast<int16_t>(left + 50), bottom}, 1);
    }
    const auto low = static_cast<int16_t>(top + 34);
    rt::NewControl(DoubleFiltration, rt::ControlType::CheckBox,
                   "Use Double Spike Filtration (Slower, But Better Discrimination)",
                   Rect{10, low, 470, static_cast<int16_t>(low + 20)},
                   PrefsArray[PrefsSlot::SpikeReread] != 0 ? 2 : 1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?",
                   Rect{480, static_cast<int16_t>(low - 2), 510, static_cast<int16_t>(low + 22)}, 1);
    rt::NewControl(Done, rt::ControlType::DefaultButton, "Done",
                   Rect{520, static_cast<int16_t>(low - 2), 620, static_cast<int16_t>(low + 22)}, 1);
  }

  void Click(int16_t item) {
    rt::SetOutputWindow(kWindow);
    const int16_t n = Channels();
    if (item >= 1 && item <= n) {
      state_.fields[item] = Str255(rt::EditText(static_cast<int16_t>(FirstField + item)));
      const SpikeSound sound = ClickSpikeBox(item, state_);
      ShowRow(item);
      if (sound == SpikeSound::Up) upVipSOUND();
      if (sound == SpikeSound::Down) downVipSOUND();
    } else if (item == AllOff) {
      downVipSOUND();
      SpikeFiltersOff(n, state_);
      for (int16_t ch = 1; ch <= n; ++ch) ShowRow(ch);
    } else if (item >= FirstPreset && item <= LastPreset) {
      SpikeFiltersPreset(SpikePresetRatio(item), n, state_);
      upVipSOUND();
      for (int16_t ch = 1; ch <= n; ++ch) ShowRow(ch);
    } else if (item == DoubleFiltration) {
      FlipDoubleFiltration();
      rt::SetControlState(DoubleFiltration, PrefsArray[PrefsSlot::SpikeReread] != 0 ? 2 : 1);
    } else if (item == Help) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
  }

  // A row's box is checked while its filter is on; its field shows the threshold.
  void ShowRow(int16_t ch) {
    rt::SetControlState(ch, state_.ratios[ch] != 0.0f ? 2 : 1);
    rt::SetEditText(static_cast<int16_t>(FirstField + ch), state_.fields[ch].str());
  }

  void ReadFields() {
    if (!rt::WindowExists(kWindow)) return;
    rt::SetOutputWindow(kWindow);
    for (int16_t ch = 1; ch <= Channels(); ++ch)
      state_.fields[ch] = Str255(rt::EditText(static_cast<int16_t>(FirstField + ch)));
  }

  // A checked channel whose field holds no threshold keeps the window open, with a
  // line that says why and the field selected; nothing typed is dropped unsaid.
  bool LeaveAllowed() {
    ReadFields();
    const SpikeRefusal refusal = SpikeThresholdRefusal(Channels(), state_);
    if (refusal.channel == 0) return true;
    zap();
    const auto top = static_cast<int16_t>(kRowsTop + pitch_ * Channels() + 72);
    ShowRefusalLine(kRefusalField, Rect{10, top, 620, static_cast<int16_t>(top + 18)}, refusal.text);
    const auto field = static_cast<int16_t>(FirstField + refusal.channel);
    rt::SelectEditText(field, 0, static_cast<int>(rt::EditText(field).size()));
    return false;
  }

  void Leave() {
    ReadFields();
    const bool on = LeaveSpikeFilter(Channels(), state_);
    rt::CheckMenuItem(kADMenu, kSpikeFilterItem, on);
    if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
    rt::FlushEvents();
  }

  SpikeWindowState state_;
  int16_t pitch_ = kRowPitch;
};

}  // namespace

void SetSpikeFilter() {
  const HandlerScope callersHandlers;
  SpikeFilterWindow().Run();
}

}  // namespace mv
