// The interface windows' help pages as a user reads them: each window whose "?" opens
// a page is explained there control by control (every title the window shows is named
// in the page), and a worked example a page gives is what the program computes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/help_page.h"
#include "common/window_steps.h"
#include "connection_test_support.h"
#include "conversions/needs.h"
#include "devices/adam_protocol.h"
#include "devices/adam_windows.h"
#include "devices/connection.h"
#include "devices/datataker_inputs_window.h"
#include "devices/dt800_mode_window.h"
#include "devices/sable_reader.h"
#include "devices/sable_temp_windows.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "setup/state.h"

namespace mv {
namespace {

// A DT800 with two channels on its first two inputs.
void TwoDataTakerChannels() {
  External_AD = ExternalADCode::DT800;
  nChannels = 2;
  for (int16_t c = 1; c <= 2; ++c) ChannelVariables[c][ChanField::Input] = static_cast<float>(c);
}

// An ADAM-4019 at 01 with a second 4019 at 03: all 16 inputs, every range offered.
void TwoAdamModules() {
  External_AD = ExternalADCode::ADAM;
  PrefsArray[PrefsSlot::Adam16Inputs] = 14;
  nChannels = 1;
}

struct Window {
  const char* name;
  const char* page;  // what its "?" opens
  int16_t window;
  std::function<void()> arrange;  // the state the window opens on
  std::function<void()> open;     // its entry point, returning when the window closes
  int16_t done;                   // the button that closes it
};

const Window kWindows[] = {
    {"external-ad-device", "external AD.html", 21, [] { PrefsArray[PrefsSlot::InterfaceCode] = 5; },
     [] { ExternalADtype(0); }, 17},
    {"serial-port-selection", "baudRates.html", 88, [] { External_AD = ExternalADCode::ADAM; },
     [] { ConfigureSERIALPORT(); }, 20},
    {"datataker-inputs", "DatatakerModes.html", kDataTakerInputsWindow, [] { TwoDataTakerChannels(); },
     [] { DATATAKERSTATUS(); }, kInputsOKButton},
    {"dt800-mode", "DatatakerModes.html", kDT800ModeWindow, [] { External_AD = ExternalADCode::DT800; },
     [] { DT800COMMUNICATIONS(); }, 10},
    {"adam-input-selection", "ADAMchannels.html", 11, [] { TwoAdamModules(); }, [] { ADAMChannels(1, 1); },
     130},
    {"adam-address", "ADAMaddressing.html", 18, [] { External_AD = ExternalADCode::ADAM; },
     [] { SetADAMaddress(); }, 10},
    // The Sable temperature windows have no "?" of their own: the Sable page explains them.
    {"sable-temperature-channels", "SableChannels.html", kSableTempWindow,
     [] { External_AD = ExternalADCode::SableUI3; }, [] { SABLETEMPCHANNELS(); }, 40},
    {"ui2-temperature-channel", "SableChannels.html", kTempChannelWindow,
     [] {
       External_AD = ExternalADCode::SableUI2;
       ChannelVariables[1][ChanField::Input] = 9;
     },
     [] { CheckUI2TempChannel(1); }, 10},
};

void PrintTo(const Window& w, std::ostream* os) {
  *os << w.name;
}

class HelpPageTest : public test::ConnectionTest, public ::testing::WithParamInterface<Window> {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    services::SAVEsettings = [] {};
    services::SetUpMENUs = [](int16_t) {};
    SetPortLister([] { return std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}; });
  }
};

TEST_P(HelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = test::HelpPageText(w.page);
  ASSERT_FALSE(page.empty()) << w.page;
  std::vector<std::string> titles;
  w.arrange();
  test::UserSteps user;
  user.Check(w.window,
             [&] {
               rt::SetOutputWindow(w.window);
               titles = test::VisibleControlTitles();
             })
      .Shot(w.window, std::string("help-") + w.name + ".png")
      .Click(w.window, w.done)
      .Start();
  w.open();
  ASSERT_TRUE(user.Done());
  test::ExpectPageNamesEveryTitle(page, titles, w.page);
}

INSTANTIATE_TEST_SUITE_P(EveryInterfaceWindowWithHelp, HelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

// With no port at all the window offers to quit; that button is explained too.
TEST_F(HelpPageTest, SerialPortPageNamesTheNoPortButtons) {
  SetPortLister([] { return std::vector<std::string>{}; });
  External_AD = ExternalADCode::DT50;
  std::vector<std::string> titles;
  test::UserSteps user;
  user.Check(88,
             [&] {
               rt::SetOutputWindow(88);
               titles = test::VisibleControlTitles();
             })
      .Click(88, 19)
      .Start();
  ConfigureSERIALPORT();
  ASSERT_TRUE(user.Done());
  const std::string page = test::HelpPageText("baudRates.html");
  ASSERT_FALSE(titles.empty());
  for (const std::string& t : titles)
    EXPECT_NE(page.find(t), std::string::npos) << "baudRates.html does not name \"" << t << "\"";
}

// The worked example of the counters' start: the value typed, as the window keeps it.
TEST_F(HelpPageTest, CounterStartExampleIsWhatTheWindowKeeps) {
  const std::string quoted = test::HelpExampleText("DatatakerModes.html", "counter-start");
  double page = 0;
  int decimals = 0;
  ASSERT_TRUE(test::FirstNumberIn(quoted, page, decimals)) << "no example \"counter-start\"";
  TwoDataTakerChannels();
  test::UserSteps user;
  user.Check(kDataTakerInputsWindow,
             [] {
               rt::SetOutputWindow(kDataTakerInputsWindow);
               rt::SetEditText(kCounterStartField, "2500.9");
             })
      .Click(kDataTakerInputsWindow, kInputsOKButton)
      .Start();
  DATATAKERSTATUS();
  ASSERT_TRUE(user.Done());
  EXPECT_EQ(counterstart, static_cast<int32_t>(page)) << "the page says " << quoted;
}

// The text a page quotes under an id, without blanks around it.
std::string Quoted(const std::string& page, const std::string& id) {
  return test::SqueezedText(test::HelpExampleText(page, id));
}

class AdamHelpExampleTest : public test::ProgramTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::ADAM;
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

// The channel put on "Input 11*" at +-2.5 V: its range and read commands and its plot
// range as the page quotes them.
TEST_F(AdamHelpExampleTest, InputElevenAtTwoAndAHalfVoltsIsWhatThePageQuotes) {
  TwoAdamModules();
  constexpr int16_t W = 11;
  Drive({Until(W), Click(W, 11), Click(W, AdamSensorButton(adam::Sensor::Volts2_5, 11)),
         Shot(W, "help-adam-example.png"), Click(W, 130)});
  ADAMChannels(1, 1);
  ASSERT_TRUE(ScriptDone());
  const int input = static_cast<int>(ChannelVariables[1][ChanField::Input]);
  ASSERT_EQ(input, 11);
  const auto address = adam::AddressOf(input);
  ASSERT_TRUE(address);
  const std::string page = "ADAMchannels.html";
  EXPECT_EQ(adam::RangeCommand(*address, ADsensorType[1]), Quoted(page, "adam-range") + "\r");
  EXPECT_EQ(adam::ReadCommand(*address), Quoted(page, "adam-read") + "\r");
  double plot = 0;
  int decimals = 0;
  ASSERT_TRUE(test::FirstNumberIn(Quoted(page, "adam-plot"), plot, decimals));
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::PlotMax], static_cast<float>(plot));
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::PlotMin], static_cast<float>(-plot));
}

// A new module (address 1) made the second input module: the command the page quotes
// is what goes out on the line.
TEST_F(AdamHelpExampleTest, SecondModuleAddressCommandIsWhatThePageQuotes) {
  constexpr int16_t W = 18, C = 999;
  port->ReplyNext("!01\r", 2);
  Drive({Until(W), Click(W, 2), Click(W, 9), Until(C), [] { return TextOf(C, 1) == "OK to proceed"; },
         Shot(C, "help-adam-address-check.png"), Click(C, 2), Click(W, 10)},
        [] { rt::CloseWindow(999); });
  SetADAMaddress();
  ASSERT_TRUE(ScriptDone());
  EXPECT_EQ(port->Written(), Quoted("ADAMaddressing.html", "adam-address") + "\r");
}

// The Sable page's worked examples: the reply bytes given to the real reader, and the
// value it takes from them.
struct SableExample {
  const char* id;
  int16_t interface;
  int16_t input;
  int16_t tMode;  // the read mode of a temperature input
  int16_t range512;
  const char* reply;  // two bytes
};

const SableExample kSableExamples[] = {
    {"sable-volts", ExternalADCode::SableUI3, 3, 0, 1, "\x00\xB2"},
    {"sable-volts-old", ExternalADCode::SableUI2, 3, 0, 0, "\x00\xB2"},
    {"sable-temp", ExternalADCode::SableUI3, 9, 0, 1, "\x54\x6F"},
    {"sable-ohms", ExternalADCode::SableUI3, 9, 2, 1, "\x00\x80"},
};

void PrintTo(const SableExample& e, std::ostream* os) {
  *os << e.id;
}

class SableHelpExampleTest : public test::ProgramTest, public ::testing::WithParamInterface<SableExample> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_P(SableHelpExampleTest, ReaderTakesTheValueThePageQuotes) {
  const SableExample& e = GetParam();
  const std::string quoted = Quoted("SableChannels.html", e.id);
  double page = 0;
  int decimals = 0;
  ASSERT_TRUE(test::FirstNumberIn(quoted, page, decimals)) << "no example \"" << e.id << "\"";
  External_AD = e.interface;
  PrefsArray[PrefsSlot::Range512] = e.range512;
  TInputMode[1] = e.tMode;
  ChannelVariables[1][ChanField::Input] = e.input;
  port->ReplyNext(std::string(e.reply, 2));
  ReadSABLE(1, 0);
  EXPECT_NEAR(volts, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6))
      << e.id << ": the page says " << quoted;
}

INSTANTIATE_TEST_SUITE_P(EveryWorkedExample, SableHelpExampleTest, ::testing::ValuesIn(kSableExamples),
                         [](const ::testing::TestParamInfo<SableExample>& info) {
                           std::string name;
                           for (const char* p = info.param.id; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

}  // namespace
}  // namespace mv
