// The trigger wait: its texts, the value it compares, the fire test, and the strip
// driven as a user would (a typed key, a click, a demonstration trigger).
#include "acquisition/trigger_wait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "acq_fixture.h"
#include "common/window_steps.h"
#include "control/trigger_window.h"
#include "conversions/evaluate.h"
#include "devices/needs.h"

namespace mv::test {
namespace {

constexpr int16_t W = kTriggerStripWindow;

TEST(TriggerRules, StatusTextShowsWholeLevelsWithAPointZero) {
  EXPECT_EQ(TriggerStatusText(1, 2, 0, 0, 2.0f).str(), " Waiting for channel 1 to exceed 2.0  ");
  EXPECT_EQ(TriggerStatusText(2, 2, 0, 1, 2.5f).str(), " Waiting for channel 2 to fall below 2.5  ");
  // Above the channel count: the extra A-D input kept in record 16.
  EXPECT_EQ(TriggerStatusText(17, 2, 3, 0, -0.25f).str(), " Waiting for A-D # 3 to exceed-0.25  ");
  EXPECT_EQ(TriggerRecord(17, 2), 16);
  EXPECT_EQ(TriggerRecord(0, 2), 16);
  EXPECT_EQ(TriggerRecord(2, 2), 2);
}

TEST(TriggerRules, InstructionDependsOnModeAndSequence) {
  EXPECT_EQ(TriggerInstructionText(RecordingModeCode::Chart, 1).str(), "     Click mouse to start");
  EXPECT_EQ(TriggerInstructionText(RecordingModeCode::Scope, 2).str(),
            "Click mouse or hit 'space' to Sample; 'return' for continuous");
  EXPECT_EQ(TriggerInstructionText(RecordingModeCode::ScopeChart, 3).str(),
            "Click mouse to save; hit 'space' to Sample; 'return' for continuous");
}

class TriggerValues : public ProgramTest {};

TEST_F(TriggerValues, KeyboardChannelFiresAtOnceInBothModes) {
  float reading = 0.3f;
  const float v = TriggerValue(1, false, -9999.0f, 1, 0, reading, 2.0f);
  EXPECT_EQ(v, 2.0f);
  EXPECT_TRUE(TriggerFires(0, v, 2.0f, reading));
  EXPECT_TRUE(TriggerFires(1, v, 2.0f, reading));
}

TEST_F(TriggerValues, ExtraInputIsTheVoltsThemselves) {
  float reading = 0.75f;
  EXPECT_EQ(TriggerValue(16, true, 0, 1, 1, reading, 0), 0.75f);
  // A negative reading to a fractional power has no value: the bad-reading mark (it
  // used to be 0), which never fires a trigger, whichever way it compares.
  reading = -0.5f;
  const float value = TriggerValue(16, true, 0, 1, 0.5f, reading, 0);
  EXPECT_EQ(value, kBadReading);
  EXPECT_FALSE(TriggerFires(1, value, 0.0f, reading));
}

// The level is in the channel's units: a power channel a + b x V^c with a 0, b 2, c 2
// at 3 V is 18, not the polynomial's 24.
TEST_F(TriggerValues, TriggerOnAPowerChannelComparesInItsOwnUnits) {
  ChannelVariables[0][2] = ConversionTypeCode::Power;
  float reading = 3.0f;
  EXPECT_FLOAT_EQ(TriggerValue(2, false, 0, 2, 2, reading, 0), 18.0f);
  ChannelVariables[0][2] = ConversionTypeCode::Linear;
  EXPECT_FLOAT_EQ(TriggerValue(2, false, 1, 2, 5, reading, 0), 7.0f);
}

TEST_F(TriggerValues, ThreeWayChannelScalesTheReading) {
  // p0 1, p1 2, K 10, m 0.5: 4 V becomes 2 V, value (1 + 2 x 2) x 10 = 50.
  polyarray[3] = {1, 2, 0, 0, 0, 10, 0.5f};
  float reading = 4.0f;
  EXPECT_FLOAT_EQ(TriggerValue(3, false, 9999.0f, 0, 0, reading, 0), 50.0f);
  EXPECT_FLOAT_EQ(reading, 2.0f);
}

TEST_F(TriggerValues, FailedReadingNeverFiresTheTrigger) {
  EXPECT_FALSE(TriggerFires(1, kBadReading, 0.5f, kBadReading));
  EXPECT_FALSE(TriggerFires(0, 5.0f, 0.5f, kBadReading));
  EXPECT_TRUE(TriggerFires(0, 0.5f, 0.5f, 0.5f));
  EXPECT_TRUE(TriggerFires(1, 0.5f, 0.5f, 0.5f));
  EXPECT_FALSE(TriggerFires(0, 0.4f, 0.5f, 0.4f));
}

class TriggerStrip : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    TriggerON = 1;
    TriggerChan = 1;
    TriggerMode = 0;
    triggerval = 1.0f;
    ChannelVariables[0][1] = ConversionTypeCode::Linear;
  }
  void TearDown() override {
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    AcqTest::TearDown();
  }
  static Step TypeOnStrip(Qt::Key key, QString text) {
    return [key, text] {
      QWidget* w = rt::bridge::WindowWidget(W);
      if (!w) return false;
      w->setFocus(Qt::OtherFocusReason);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
      QApplication::sendEvent(w, &press);
      return true;
    };
  }
};

TEST_F(TriggerStrip, DemonstrationFiresOnTheFirstFiveVoltReading) {
  Drive({Until(W), Shot(W, "w177-trigger-wait.png")}, [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), kTriggerFired);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(volts, 5.0f);  // every other simulated reading is at most 0.795 V
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(TempTriggrON, 1);
  EXPECT_EQ(TriggerON, 1);
}

TEST_F(TriggerStrip, TypedReturnEndsWithItsCodeAndAutorepeatDisarms) {
  External_AD = ExternalADCode::Separator;  // reads nothing: the level is never reached
  volts = 0;
  Drive({Until(W), TypeOnStrip(Qt::Key_Return, "\r")}, [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), 13);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(TriggerON, 1);
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  Drive({Until(W), TypeOnStrip(Qt::Key_Space, " ")}, [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), ' ');
  EXPECT_EQ(TriggerON, 0);
}

// A streaming read clears the window codes after every line; a key typed during the
// wait must still end it.
TEST_F(TriggerStrip, StreamingReadDoesNotSwallowTheUsersKey) {
  External_AD = ExternalADCode::SerialStream;
  Drive({Until(W), TypeOnStrip(Qt::Key_Return, "\r")}, [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), 13);
  EXPECT_TRUE(ScriptDone());
}

// An extra input the interface lacks is never read, and so never fires the trigger:
// the strip says why, and the user starts the recording.
TEST_F(TriggerStrip, AnInputTheInterfaceLacksIsNeverReadOrTested) {
  External_AD = ExternalADCode::DT500;
  nChannels = 2;
  TriggerChan = kExtraTriggerInput;
  ChannelVariables[16][ChanField::Input] = 40;
  int reads = 0;
  services::ReadDataTaker500 = [&reads](int16_t, int16_t) {
    ++reads;
    volts = 5.0f;  // would fire at once
  };
  Drive({Until(W), Shot(W, "w177-trigger-input-missing.png"), TypeOnStrip(Qt::Key_Return, "\r")},
        [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), 13) << "ended by the user, not by a reading";
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(reads, 0);
}

TEST_F(TriggerStrip, AClickOnTheStripStartsAsItSays) {
  External_AD = ExternalADCode::Separator;
  volts = 0;
  Drive({Until(W), Do([] {
           QWidget* w = rt::bridge::WindowWidget(W);
           const QPointF at(50, 10);
           QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                             Qt::NoModifier);
           QApplication::sendEvent(w, &press);
           QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                               Qt::NoButton, Qt::NoModifier);
           QApplication::sendEvent(w, &release);
         })},
        [] { rt::CloseWindow(W); });
  EXPECT_EQ(RUNTRIGGER(), kTriggerFired);
  EXPECT_TRUE(ScriptDone());
}

}  // namespace
}  // namespace mv::test
