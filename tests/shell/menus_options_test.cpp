// Once start-up has installed the program's windows, every item of the A-D menu's
// "Conversion Options" submenu opens the gas-exchange options window of its own
// channel, and leaving that window returns to the caller with a redraw.
#include <string>

#include "conversions/gas_options_window.h"
#include "kit/format.h"
#include "kit/hook.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

constexpr int16_t kOptionsMenu = MenuNumber::ConversionOptions;

class ConversionOptionsMenuTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    for (HookBase* hook : AllHooks()) hook->Reset();
    SetMainValues();
    MainMENU();
    nChannels = 3;
    BlankChannelLabels();
    MENU_100();
  }
  void TearDown() override {
    for (HookBase* hook : AllHooks()) hook->Reset();
    MenusTest::TearDown();
  }
};

TEST_F(ConversionOptionsMenuTest, EveryItemOpensTheWindowOfItsChannel) {
  for (int16_t ch = 1; ch <= nChannels; ++ch) {
    SCOPED_TRACE(ch);
    ASSERT_TRUE(rt::MenuItemEnabled(kOptionsMenu, ch));
    std::string title;
    test::LoopDriver driver;
    driver.WaitFor(kGasOptionsWindow)
        .Check([&title] { title = rt::WindowTitle(kGasOptionsWindow).str(); })
        .Check([] { doDIALOG(ActionCode::CloseBox, kGasOptionsWindow); });
    DoMENU(kOptionsMenu, ch);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(title.find(" Conversion Options, Channel" + NumText(ch).str() + ":"), 0u) << title;
    EXPECT_FALSE(rt::WindowExists(kGasOptionsWindow));
    EXPECT_EQ(Action, ActionCode::Redraw);
    EXPECT_EQ(LastChanModified, ch);
  }
}

}  // namespace
}  // namespace mv
