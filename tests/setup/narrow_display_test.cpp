// The conversion tools' windows on the smallest display the program runs on
// (640 x 480): each opens whole on the screen, none past its right or bottom edge.
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

#include "conversions/breakpoint_window.h"
#include "conversions/conversions_window.h"
#include "conversions/custom_windows.h"
#include "conversions/gas_options_window.h"
#include "conversions/spike_filter.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/calibration_window.h"
#include "setup/channel_check_window.h"
#include "setup/state.h"

namespace mv {
namespace {

struct ToolWindow {
  const char* name;
  int16_t window;
  int16_t close;
  std::function<void()> open;
};

void PrintTo(const ToolWindow& w, std::ostream* os) {
  *os << w.name;
}

const ToolWindow kWindows[] = {
    {"Conversions", kConversionsWindow, ConversionsButton::SelectionOK, [] { CONVERT(2); }},
    {"SpikeFilter", kSpikeFilterWindow, SpikeControl::Done, [] { SetSpikeFilter(); }},
    {"ConversionOptions", kGasOptionsWindow, GasOptionsControl::Done, [] { ConversionOptions(2); }},
    // With no points "Equation OK" has no fit to hand back: the close box ends it.
    {"DirectCalibration", kCalibrationWindow, test::WindowDriver::kCloseBox, [] { DIRECTCAL(2); }},
    {"Breakpoint", kBreakpointWindow, BreakpointControl::Done, [] { BREAKPOINT(2); }},
    {"CustomEditor", kCustomEditorWindow, CustomEditorControl::ConversionsOK,
     [] { CustomConversionEditor(); }},
    {"CustomTransfer", kCustomTransferWindow, CustomTransferControl::ConversionsOK, [] { CUSTOMTRANSFER(); }},
    {"ConversionTest", kChannelCheckWindow, CheckButton::Done, [] { CHECKCHANNEL(2); }},
};

class NarrowDisplayTest : public test::DialogTest, public ::testing::WithParamInterface<ToolWindow> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    setenv("MV_DISPLAY_SIZE", "640x480", 1);
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
    External_AD = ExternalADCode::Demonstration;
    MaximumChans = 12;  // as start-up sets it on a display 480 pixels high
    nChannels = 12;
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    DialogTest::TearDown();
  }
};

TEST_P(NarrowDisplayTest, TheWindowFitsA640By480Display) {
  const ToolWindow& w = GetParam();
  test::WindowDriver d;
  d.WaitFor(w.window)
      .Check([&w] {
        const Rect r = rt::WindowContentRect(w.window);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 640);
        EXPECT_LE(r.bottom, 480);
      })
      .Shot(w.window,
            Shot((std::string("w") + std::to_string(w.window) + "-640x480-" + w.name + ".png").c_str()))
      .End(w.window, w.close);
  RunVoid(d, w.open);
}

INSTANTIATE_TEST_SUITE_P(ConversionTools, NarrowDisplayTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<ToolWindow>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
