// The file information window driven from the event pump, the comment view's text
// turned into Mac Roman, the spike summary added on opening and the conditions
// read back.
#include <gtest/gtest.h>

#include <string>

#include "conversions/state.h"
#include "devices/state.h"
#include "files/comment_text.h"
#include "files/file_info_window.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/printing.h"
#include "runtime/qt_bridge.h"
#include "setup/state.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kFileInfoWindow;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(CommentCodec, ViewCharactersBecomeTheirMacRomanBytes) {
  EXPECT_EQ(FixContainerASCIIforSave(u"ok"), Bytes({111, 107}));
  EXPECT_EQ(FixContainerASCIIforSave(u"\u00B0"), Bytes({161}));  // degree
  EXPECT_EQ(FixContainerASCIIforSave(u"\u2022\u2206\u2265\u2264\u2202\u222B\u03C0\u221E"),
            Bytes({165, 198, 179, 178, 182, 186, 185, 176}));
  EXPECT_EQ(FixContainerASCIIforSave(u"caf\u00E9"), Bytes({'c', 'a', 'f', 142})) << "not Latin-1 233";
  EXPECT_EQ(FixContainerASCIIforSave(u"\u4E2D!"), "?!") << "what Mac Roman lacks";
  EXPECT_EQ(FixContainerASCIIforSave(u"\xD800x"), "?x") << "a lone surrogate";
  EXPECT_EQ(FixContainerASCIIforSave(u"\U0001F600"), "?");
  EXPECT_EQ(FixContainerASCIIforSave("\xE2\x88\x9E 20\xC2\xB0"), Bytes({176, ' ', '2', '0', 161}));
}

TEST(CommentCodec, LineBreaksSurviveAsCrAndOtherControlsAndQuotesDoNot) {
  EXPECT_EQ(FixContainerASCIIforSave(u"a\nb\u2028c\u2029d\r\ne"), "a\rb\rc\rd\re");
  EXPECT_EQ(FixContainerASCIIforSave(u"t\tab\x01"), "tab");
  EXPECT_EQ(FixContainerASCIIforSave(u"say \"hi\""), "say \xA5hi\xA5");
}

class CommentTest : public test::ProgramTest {};

// The summary is the run's: the settings as they stand at save time (here the
// filter turned off after the run) change nothing in it.
TEST_F(CommentTest, SpikeSummaryIsAddedOnceForTheChannelsTheRunFiltered) {
  nChannels = 3;
  SpikeFilterOfRun.on = true;
  SpikeFilterOfRun.thresholds[2] = 2.0f;
  voltagespikes[2] = 5;
  CommentContainer = "note";
  SpikeFilterArray.fill(0.0f);
  PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
  AppendSpikeSummaryToComment();
  AppendSpikeSummaryToComment();
  EXPECT_EQ(CommentContainer, "note\rchan 2:   5 spikes removed; filter factor: 2\r");
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  CommentContainer = "note";
  AppendSpikeSummaryToComment();
  EXPECT_EQ(CommentContainer, "note") << "repeat saves carry no summary";
}

TEST(Conditions, FieldsAreReadAsNumbersAndAZeroVolumeIsATenthOfAMillilitre) {
  const ExperimentConditions opened{100, 0, 760, 0, 0};
  ExperimentConditions c = ConditionsFromFields({"250", " 30.5", "700", "x", "0"}, opened, opened, false);
  EXPECT_EQ(c.flowrate, 250.0f);
  EXPECT_EQ(c.mass, 30.5f);
  EXPECT_EQ(c.BarometricPressure, 700.0f);
  EXPECT_EQ(c.flowtemp, 0.0f);
  EXPECT_EQ(c.EffectiveVolume, 0.1f);
  EXPECT_EQ(ConditionsFromFields({"", "", "", "", "abc"}, opened, opened, false).EffectiveVolume, 0.1f);
}

TEST(Conditions, AMenuCommandsResultWinsOverTheFieldItChanged) {
  const ExperimentConditions opened{100, 0, 760, 0, 0};
  const ExperimentConditions now{100, 0, 745, 21, 0};  // a calculator set pressure and temperature
  const ConditionTexts texts = {"250", "30", "700", "5", "2"};
  ExperimentConditions c = ConditionsFromFields(texts, opened, now, true);
  EXPECT_EQ(c.BarometricPressure, 745.0f);
  EXPECT_EQ(c.flowtemp, 21.0f);
  EXPECT_EQ(c.flowrate, 250.0f);
  EXPECT_EQ(ConditionsFromFields(texts, opened, now, false).BarometricPressure, 700.0f);
}

TEST(PrintJob, SetUpReportJobName) {
  SetPrintJobName("setup data.pdf");
  EXPECT_EQ(rt::PrintJobName(), "setup data.pdf");
}

class FileInfoTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    Sound_Is_On = 1;
    CommentContainer = "Mouse 3\rfasted";
  }
  void Run(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(W));
    Drive(steps);
    GETFILECOMMENTS();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(W));
  }
};

TEST_F(FileInfoTest, TypedConditionsAndCommentAreKept) {
  Run({Shot(W, "w15-file-information-chart.png"), Type(W, kFlowRateField, "250"), Type(W, kMassField, "31.5"),
       Type(W, kPressureField, "700"), Type(W, kFlowTempField, "22"), Type(W, kVolumeField, "0"), Do([] {
         rt::FocusEditField(kCommentField);
         rt::SelectEditText(kCommentField, 7, 7);
       }),
       Key(W, kCommentField, Qt::Key_Return, "\r"),
       Do([] { EXPECT_TRUE(rt::WindowExists(W)) << "Return in the comment starts a line"; }),
       Click(W, kFileInfoOKButton)});
  EXPECT_EQ(flowrate, 250.0f);
  EXPECT_EQ(mass, 31.5f);
  EXPECT_EQ(BarometricPressure, 700.0f);
  EXPECT_EQ(flowtemp, 22.0f);
  EXPECT_EQ(EffectiveVolume, 0.1f);
  EXPECT_EQ(CommentContainer, "Mouse 3\r\rfasted");
}

TEST_F(FileInfoTest, StandardConditionsThenTabAndReturnInTheLastField) {
  BarometricPressure = 700;
  flowtemp = 30;
  Run({Click(W, kStandardConditionsButton), Key(W, kFlowRateField, Qt::Key_Tab, "\t"),
       Do([] { EXPECT_EQ(rt::FocusedEditField(), kMassField); }), Key(W, kVolumeField, Qt::Key_Tab, "\t"),
       Do([] { EXPECT_EQ(rt::FocusedEditField(), kFlowRateField) << "Tab wraps"; }),
       Key(W, kVolumeField, Qt::Key_Return, "\r")});
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(flowtemp, 0.0f);
  EXPECT_EQ(flowrate, 100.0f);
}

TEST_F(FileInfoTest, ACalculatorRunFromTheMenuKeepsItsPressure) {
  rt::SetMenuHandler([](int16_t, int16_t) {
    BarometricPressure = 745;
    MENUID = 255;
  });
  Run({Type(W, kPressureField, "700"), Type(W, kFlowRateField, "250"),
       Do([] { rt::bridge::ChooseMenuItem(6, 8); })});
  EXPECT_EQ(BarometricPressure, 745.0f);
  EXPECT_EQ(flowrate, 250.0f);
}

TEST_F(FileInfoTest, SableLayoutCountsTheCommentAndWarnsAt240) {
  PrefsArray[PrefsSlot::SaveSable] = 1;
  CommentContainer = std::string(239, 'a');
  mass = 5;
  Run({Shot(W, "w15-file-information-sable.png"),
       Do([] { EXPECT_FALSE(rt::EditFieldExists(kMassField)) << "no conditions in the Sable layout"; }),
       Type(W, kCommentField, std::string(240, 'b')),
       Do([] { EXPECT_EQ(rt::EditText(kCommentLengthField), " 240"); }),
       Shot(W, "w15-file-information-sable-limit.png"), Type(W, kCommentField, "short"),
       Do([] { EXPECT_FALSE(rt::EditFieldExists(kCommentLengthWarning)); }), Click(W, kFileInfoOKButton)});
  EXPECT_EQ(CountPlayed("AlarmBUZZ.mp3"), 1);
  EXPECT_EQ(CountPlayed("upvip.mp3"), 1);
  EXPECT_EQ(CommentContainer, "short");
  EXPECT_EQ(mass, 5.0f);
}

TEST_F(FileInfoTest, ScopeFileBanner) {
  ScopeFileComments = 1;
  Run({Shot(W, "w15-file-information-scope.png"), Click(W, kFileInfoHelpButton),
       Click(W, kFileInfoOKButton)});
}

}  // namespace
}  // namespace mv
