// The set-up windows of the interfaces as their help pages explain them: every title a
// window shows is named in its page, and the page's worked examples are what the
// window shows and keeps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/help_page.h"
#include "common/window_steps.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/serial_instrument_windows.h"
#include "setup/state.h"
#include "setup/stream_panel.h"
#include "setup_fixture.h"

namespace mv {
namespace {

class SetupHelpPageTest : public test::SetupTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    setenv("MV_CONFIG_DIR", test::MakeTempDir("help-pages").c_str(), 1);
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    ResetStreamReader();
    rt::SeedRandom(7);
  }
  void TearDown() override {
    CloseSerialPort();
    SetupTest::TearDown();
  }
  // The titles of a window's controls, read once it is open; then `finish` closes it.
  std::vector<std::string> TitlesOf(int16_t window, const std::function<void()>& open,
                                    std::vector<Step> finish, const std::string& shot) {
    std::vector<std::string> titles;
    std::vector<Step> steps = {Until(window), Do([&titles, window] {
                                 rt::SetOutputWindow(window);
                                 titles = test::VisibleControlTitles();
                               }),
                               Shot(window, shot)};
    steps.insert(steps.end(), finish.begin(), finish.end());
    Drive(steps);
    open();
    EXPECT_TRUE(ScriptDone());
    return titles;
  }
  static void ExpectNamed(const std::string& page, const std::vector<std::string>& titles) {
    const std::string text = test::HelpPageText(page);
    ASSERT_FALSE(text.empty()) << page;
    ASSERT_FALSE(titles.empty());
    for (const std::string& t : titles)
      EXPECT_NE(text.find(t), std::string::npos) << page << " does not name \"" << t << "\"";
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(SetupHelpPageTest, StreamingPanelPageNamesEveryControl) {
  DemonstrationMODE = 1;
  External_AD = ExternalADCode::SerialStream;
  const int16_t W = kStreamPanelWindow;
  ExpectNamed("streamingSerial.html",
              TitlesOf(
                  W, [] { StreamingSerialChannels(); }, {Click(W, 1), Click(W, 20)}, "help-streaming.png"));
}

TEST_F(SetupHelpPageTest, SerialInstrumentOptionsPageNamesEveryControl) {
  External_AD = ExternalADCode::SableUI2;
  nChannels = 2;
  const int16_t W = kSerialOptionsWindow;
  ExpectNamed("SableChannels.html",
              TitlesOf(
                  W, [] { SerialInstrumentInput(); }, {Click(W, 40)}, "help-serial-instrument-options.png"));
}

TEST_F(SetupHelpPageTest, SableInputSelectionPageNamesEveryControl) {
  for (const int16_t code : {ExternalADCode::SableUI2, ExternalADCode::SableUI3}) {
    External_AD = code;
    nChannels = 1;
    ChannelVariables[1][ChanField::Input] = 1;
    const int16_t W = kInputWindow;
    ExpectNamed("SableChannels.html", TitlesOf(
                                          W, [] { SELECTCHANNEL(1, 1); }, {Click(W, 130)},
                                          "help-sable-input-" + std::to_string(code) + ".png"));
  }
}

// The page's example line, sent by the instrument: the values the panel shows, and
// the plot ranges of the channels made from variables 1 and 3.
TEST_F(SetupHelpPageTest, StreamingExampleLineGivesTheValuesAndRangesThePageQuotes) {
  const std::string page = "streamingSerial.html";
  const std::string line = test::HelpExampleText(page, "stream-line");
  ASSERT_FALSE(line.empty()) << "no example line";
  External_AD = ExternalADCode::SerialStream;
  const int16_t W = kStreamPanelWindow;
  ScriptedSerialPort* p = port;
  std::vector<std::string> shown(6);
  Drive({Until(W), Do([p, line] { p->DeliverNow(line + "\r"); }),
         [] { return TextOf(kStreamPanelWindow, 101) != "--"; }, Do([&shown] {
           for (int n = 1; n <= 5; ++n) shown[n] = TextOf(kStreamPanelWindow, static_cast<int16_t>(100 + n));
         }),
         Click(W, 1), Click(W, 3), Shot(W, "help-streaming-example.png"), Click(W, 20)});
  StreamingSerialChannels();
  ASSERT_TRUE(ScriptDone());
  auto expectQuoted = [&](const std::string& id, const std::string& program) {
    const std::string quoted = test::HelpExampleText(page, id);
    double want = 0, got = 0;
    int decimals = 0, unused = 0;
    if (!test::FirstNumberIn(quoted, want, decimals)) {
      EXPECT_EQ(test::SqueezedText(program), quoted) << id;
      return;
    }
    ASSERT_TRUE(test::FirstNumberIn(program, got, unused)) << id << ": the program shows " << program;
    EXPECT_NEAR(got, want, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9))
        << id << ": the page says " << quoted;
  };
  for (int n = 1; n <= 5; ++n) expectQuoted("stream-" + std::to_string(n), shown[n]);
  ASSERT_EQ(nChannels, 2);
  expectQuoted("plot-large", std::to_string(ChannelVariables[1][ChanField::PlotMax]));
  expectQuoted("plot-negative", std::to_string(ChannelVariables[2][ChanField::PlotMin]));
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMin], 0.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMax], 0.0f);
}

}  // namespace
}  // namespace mv
