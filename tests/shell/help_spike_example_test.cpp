// The spike filter's help page, worked example: the threshold it gives set in the
// real window from the real menu, then the channel reader given the example's
// readings; the sample keeps what the page says.
#include <charconv>
#include <cmath>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>

#include "acquisition/state.h"
#include "common/window_steps.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "kit/help.h"
#include "kit/hook.h"
#include "setup/state.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
using Steps = test::WindowSteps;
constexpr int16_t W = kSpikeFilterWindow;
constexpr int16_t kTopic = 168;

// The text of the page's element with the given id, as a number (sign kept).
double OnPage(const std::string& id, int* decimals = nullptr) {
  std::ifstream in(test::SourcePath("resources/HelpFiles/" + HelpTopicPage(kTopic)), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string html = all.str();
  const std::size_t at = html.find("id=\"" + id + "\"");
  if (at == std::string::npos) return NAN;
  const std::size_t start = html.find('>', at) + 1;
  const std::string text = html.substr(start, html.find('<', start) - start);
  double value = NAN;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{}) return NAN;
  if (decimals) {
    const std::size_t point = text.find('.');
    *decimals = point == std::string::npos || text.data() + point > end
                    ? 0
                    : static_cast<int>(end - (text.data() + point) - 1);
  }
  return value;
}

class SpikeHelpExampleTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    for (HookBase* hook : AllHooks()) hook->Reset();
    SetMainValues();
    External_AD = ExternalADCode::ADAM;
    nChannels = 2;
    MainMENU();
    services::ReadADAM = [this](int16_t, int16_t) {
      if (!readings.empty()) {
        volts = readings.front();
        readings.pop_front();
      }
    };
  }
  void TearDown() override {
    for (HookBase* hook : AllHooks()) hook->Reset();
    MenusTest::TearDown();
  }
  // Channel 1's threshold typed and switched on in the window the A-D menu opens.
  void SetThreshold(double threshold) {
    Steps steps;
    std::string text(32, '\0');
    text.resize(static_cast<std::size_t>(
        std::to_chars(text.data(), text.data() + text.size(), threshold).ptr - text.data()));
    steps.Drive({Steps::Until(W), Steps::Type(W, SpikeControl::FirstField + 1, text), Steps::Click(W, 1),
                 Steps::Shot(W, "help-spike-filter-example.png"), Steps::Click(W, SpikeControl::Done)},
                [] { rt::CloseWindow(W); });
    DoMENU(AD, 12);
    EXPECT_TRUE(steps.ScriptDone());
  }
  // One reading of channel 1 in a run, after the given previous reading of the run.
  float Sampled(float previous, float reading, float reread) {
    Sample = 5;
    LastVoltageArray[1 + 17] = previous;
    SpikeReferenceHeld[1] = true;
    readings = {reading, reread};
    ReadExternalADdevice(1, 1);
    return volts;
  }
  std::deque<float> readings;
};

TEST_F(SpikeHelpExampleTest, SpikeFilterPageQuotesWhatTheSampleKeeps) {
  const double threshold = OnPage("spike-threshold");
  ASSERT_TRUE(std::isfinite(threshold));
  SetThreshold(threshold);
  ASSERT_FLOAT_EQ(SpikeFilterArray[1], static_cast<float>(threshold));
  const auto previous = static_cast<float>(OnPage("spike-previous"));
  const auto reading = static_cast<float>(OnPage("spike-reading"));
  for (const char* example : {"spike", "step"}) {
    const std::string id = example;
    int decimals = 0;
    const double page = OnPage(id + "-value", &decimals);
    const auto reread = static_cast<float>(OnPage(id + "-reread"));
    ASSERT_TRUE(std::isfinite(page) && std::isfinite(reread)) << id;
    EXPECT_NEAR(Sampled(previous, reading, reread), page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6)) << id;
  }
}

}  // namespace
}  // namespace mv
