// The digital port choice (submenu 111) under the D-A menu: attached for the
// interfaces that have the choice, gone for the others, its mark on the port in use,
// and its choices carried out by the full menu handler when chosen from the bar.
#include "devices/connection.h"
#include "devices/state.h"
#include "menus_test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"

namespace mv {
namespace {

using namespace MenuNumber;

constexpr int16_t kDigitalPortItem = 10;

using DigitalPortTest = test::MenusTest;

bool Attached() {
  return rt::MenuExists(DigitalPort) && rt::GetMenuItem(DA, kDigitalPortItem).submenu == DigitalPort;
}

TEST_F(DigitalPortTest, AttachedUnderDAForTheDataTakersOnly) {
  struct Case {
    int16_t code;
    bool attached;
  };
  const Case cases[] = {{ExternalADCode::Demonstration, false}, {ExternalADCode::SableUI2, false},
                        {ExternalADCode::SableUI3, false},      {ExternalADCode::DT500, true},
                        {ExternalADCode::DT50, true},           {ExternalADCode::DT800, true},
                        {ExternalADCode::DT80, true},           {ExternalADCode::DT85, true},
                        {ExternalADCode::ADAM, false},          {ExternalADCode::ADC1, false},
                        {ExternalADCode::SerialStream, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    External_AD = c.code;
    MainMENU();
    EXPECT_EQ(Attached(), c.attached);
    EXPECT_EQ(rt::MenuItemCount(DA), c.attached ? 10 : 8);
    if (!c.attached) continue;
    EXPECT_TRUE(rt::GetMenuItem(DA, 9).separator);
    EXPECT_EQ(rt::MenuItemCount(DigitalPort), 2);
    EXPECT_TRUE(rt::MenuItemEnabled(DA, kDigitalPortItem)) << "offered even where the outputs are not";
    EXPECT_TRUE(rt::MenuItemEnabled(DigitalPort, 1));
    EXPECT_TRUE(rt::MenuItemEnabled(DigitalPort, 2));
  }
}

TEST_F(DigitalPortTest, FollowsTheInterfaceWhenTheOutputItemsAreAdjusted) {
  External_AD = ExternalADCode::DT800;
  MainMENU();
  ASSERT_TRUE(Attached());
  External_AD = ExternalADCode::SableUI3;
  AOmenuAdjust();
  EXPECT_FALSE(Attached()) << "a new interface without the choice takes it away";
  EXPECT_EQ(rt::MenuItemCount(DA), 8);
  External_AD = ExternalADCode::DT50;
  AOmenuAdjust();
  AOmenuAdjust();
  EXPECT_TRUE(Attached());
  EXPECT_EQ(rt::MenuItemCount(DA), 10) << "adjusting again adds nothing twice";
}

TEST_F(DigitalPortTest, MarkShowsThePortInUseAndChoicesReachTheMenuHandler) {
  External_AD = ExternalADCode::DT500;
  Digital_Port = 2;
  Sound_Is_On = 1;
  MainMENU();
  EXPECT_FALSE(rt::MenuItemChecked(DigitalPort, 1));
  EXPECT_TRUE(rt::MenuItemChecked(DigitalPort, 2));

  rt::SetMenuHandler(DoMENU);
  rt::bridge::ChooseMenuItem(DigitalPort, 1);
  for (int i = 0; i < 5 && rt::EventsPending(); ++i) rt::PumpEvents(0);
  EXPECT_EQ(Digital_Port, 0);
  EXPECT_TRUE(rt::MenuItemChecked(DigitalPort, 1));
  EXPECT_FALSE(rt::MenuItemChecked(DigitalPort, 2));
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/tick.mp3"});

  rt::bridge::ChooseMenuItem(DigitalPort, 2);
  for (int i = 0; i < 5 && rt::EventsPending(); ++i) rt::PumpEvents(0);
  EXPECT_EQ(Digital_Port, 2);
  EXPECT_TRUE(rt::MenuItemChecked(DigitalPort, 2));
  EXPECT_FALSE(rt::MenuItemChecked(DigitalPort, 1));
}

TEST_F(DigitalPortTest, TestModeDimsTheChoice) {
  External_AD = ExternalADCode::DT85;
  MainMENU();
  DoMENU(AD, 9);
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_FALSE(rt::MenuItemEnabled(DigitalPort, 1));
  EXPECT_FALSE(rt::MenuItemEnabled(DigitalPort, 2));
}

}  // namespace
}  // namespace mv
