// The custom conversion buttons: presets byte for byte, the thermocouple rewrite of
// button 8, transfers, the editor's store and the "poly?" boxes.
#include "conversions/custom_table.h"

#include <gtest/gtest.h>

#include <string>

#include "common/test_support.h"
#include "conversions/state.h"
#include "setup/state.h"

namespace mv {
namespace {

class CustomTableTest : public test::ProgramTest {};

std::string Blanks(int n) {
  return std::string(n, ' ');
}

TEST_F(CustomTableTest, PresetTitleStringByteForByte) {
  // Nine 25-byte fields; titles counted by hand.
  const std::string expected = std::string("% Oxygen (Sable 19-21.5%)") +  // 25
                               "\xC6 %O2 (Sable 19-21.5%)" + Blanks(3) +   // 22 + 3
                               "\xC6  % Oxygen (S-3A)" + Blanks(7) +       // 18 + 7
                               "% CO2 (Sable)" + Blanks(12) +              // 13 + 12
                               "Degrees C (Sable TC1000)" + Blanks(1) +    // 24 + 1
                               "% RH (Sable RH-100)" + Blanks(6) +         // 19 + 6
                               "Flow (0-5 SLPM) in air" + Blanks(3) +      // 22 + 3
                               "Flow (0-5 SLPM) in Helox" + Blanks(1) +    // 24 + 1
                               "%CO2 (Li-Cor), 3-way poly";                // 25
  ASSERT_EQ(expected.size(), 225u);
  EXPECT_EQ(buttonlbls.str(), expected);
  EXPECT_EQ(static_cast<unsigned char>(buttonlbls[25]), 0xC6);  // position 26
  EXPECT_EQ(static_cast<unsigned char>(buttonlbls[50]), 0xC6);  // position 51
}

TEST_F(CustomTableTest, PresetLabelsByteForByte) {
  const std::string expected = std::string("% oxygen  (Sable)") + Blanks(13) +
                               "% oxygen  deflection (Sable)" + Blanks(2) + "% oxygen  deflection (S-3A)" +
                               Blanks(3) + "% CO2 (Sable)" + Blanks(17) +
                               "temperature (\xA1"
                               "C)" +
                               Blanks(14) + "% R.H. (Sable)" + Blanks(16) + "air flow (0-5000 ml/min)" +
                               Blanks(6) + "helox flow (0-5000 ml/min)" + Blanks(4);
  ASSERT_EQ(expected.size(), 240u);
  EXPECT_EQ(butcomments.str(), expected);
  EXPECT_EQ(but1lbls.str(), "% CO2 (LiCor)" + Blanks(17));
}

TEST_F(CustomTableTest, PresetValues) {
  const CustomButton b3 = ReadCustomButton(3);
  EXPECT_EQ(b3.a, 19.0f);
  EXPECT_EQ(b3.b, 0.5f);
  EXPECT_EQ(b3.c, 0.0f);
  EXPECT_EQ(b3.minimum, 19.0f);
  EXPECT_EQ(b3.maximum, 21.5f);
  EXPECT_EQ(b3.type, 2);
  EXPECT_EQ(b3.label, Str255("% oxygen  (Sable)" + Blanks(13)));
  EXPECT_EQ(ReadCustomButton(4).b, -0.5f);
  EXPECT_EQ(ReadCustomButton(10).b, 13333.3f);
  EXPECT_EQ(ReadCustomButton(10).maximum, 50000.0f);
  for (int n = 3; n <= 10; ++n) EXPECT_EQ(conversionsArray[9 * n + 8], 2.0f) << n;
  // Values 0-26 and 108-127 unused.
  for (int i = 0; i <= 26; ++i) EXPECT_EQ(conversionsArray[i], 0.0f);
  for (int i = 108; i < 128; ++i) EXPECT_EQ(conversionsArray[i], 0.0f);
}

TEST_F(CustomTableTest, ThreeWayPresetIsCopiedIntoPolyarrayRowZero) {
  EXPECT_EQ(conversionsArray[101], 0.1419f);
  EXPECT_EQ(conversionsArray[102], 1.536e-5f);
  EXPECT_EQ(conversionsArray[103], 1.874e-9f);
  EXPECT_EQ(conversionsArray[104], 0.0001f);
  EXPECT_EQ(conversionsArray[105], 10000.0f);
  EXPECT_EQ(conversionsArray[107], 0.3f);
  const ThreeWayPolyRecord expected{0, 0.1419f, 1.536e-5f, 1.874e-9f, 0, 0.0001f, 10000};
  EXPECT_EQ(polyarray[0], expected);
  EXPECT_EQ(CustomButtonTitle(kThreeWayButton), Str255("%CO2 (Li-Cor), 3-way poly"));
}

TEST_F(CustomTableTest, DataTakerButtonRewritesButtonEightOnly) {
  conversionsArray[9 * 8 + 8] = 3;  // its type code must stay
  const Str255 titles = buttonlbls, labels = butcomments;
  DATATAKERBUTTON();
  const CustomButton b = ReadCustomButton(8);
  EXPECT_EQ(b.a, 0.0f);
  EXPECT_EQ(b.b, 1.0f);
  EXPECT_EQ(b.c, 0.0f);
  EXPECT_EQ(b.minimum, 0.0f);
  EXPECT_EQ(b.maximum, 45.0f);
  EXPECT_EQ(b.type, 3);
  EXPECT_EQ(b.title.str(),
            "\xA1"
            "C (Cu-Cn thermocouple)  ");
  EXPECT_EQ(b.label.str(),
            "\xA1"
            "C" +
                Blanks(28));
  EXPECT_EQ(buttonlbls.size(), 225u);
  EXPECT_EQ(butcomments.size(), 240u);
  EXPECT_EQ(buttonlbls.str().substr(0, 125), titles.str().substr(0, 125));
  EXPECT_EQ(buttonlbls.str().substr(150), titles.str().substr(150));
  EXPECT_EQ(butcomments.str().substr(0, 150), labels.str().substr(0, 150));
  EXPECT_EQ(butcomments.str().substr(180), labels.str().substr(180));
  EXPECT_EQ(ReadCustomButton(7).b, 20.0f);
  EXPECT_EQ(ReadCustomButton(9).b, 1000.0f);
}

TEST(CustomTable, OnlyDataTakerInterfacesRewriteButtonEight) {
  for (int16_t code = 3; code <= 7; ++code) EXPECT_TRUE(IsDataTakerInterface(code));
  for (int16_t code : {0, 1, 2, 8, 9, 11}) EXPECT_FALSE(IsDataTakerInterface(code));
}

void SetChannel(int16_t c, float type, float a, float b, float cc, float max, float min) {
  ChannelVariables[0][c] = type;
  ChannelVariables[c][2] = a, ChannelVariables[c][3] = b, ChannelVariables[c][4] = cc;
  ChannelVariables[c][5] = max, ChannelVariables[c][6] = min;
}

TEST_F(CustomTableTest, TransferCopiesTheChannelIntoTheButton) {
  nChannels = 2;
  SetChannel(2, 8, 1, 2, 3, 50, -5);
  ASSERT_TRUE(TransferChannelToButton(4, 2, "my label"));
  // Button 4: values 37-41 and 44.
  EXPECT_EQ(conversionsArray[37], 1.0f);
  EXPECT_EQ(conversionsArray[38], 2.0f);
  EXPECT_EQ(conversionsArray[39], 3.0f);
  EXPECT_EQ(conversionsArray[40], -5.0f);
  EXPECT_EQ(conversionsArray[41], 50.0f);
  EXPECT_EQ(conversionsArray[44], 8.0f);
  EXPECT_EQ(CustomButtonLabel(4).str(), "my label" + Blanks(22));
  EXPECT_EQ(CustomButtonTitle(4).str(), "my label" + Blanks(17));
  EXPECT_EQ(buttonlbls.size(), 225u);
}

TEST_F(CustomTableTest, TransferCutsALongLabel) {
  nChannels = 1;
  SetChannel(1, 1, 0, 1, 0, 5, 0);
  const std::string label = "abcdefghijklmnopqrstuvwxyz0123456789";
  ASSERT_TRUE(TransferChannelToButton(10, 1, label));
  EXPECT_EQ(CustomButtonLabel(10).str(), label.substr(0, 30));
  EXPECT_EQ(CustomButtonTitle(10).str(), label.substr(0, 25));
  EXPECT_EQ(butcomments.size(), 240u);
}

TEST_F(CustomTableTest, TransferOfBreakpointOrThreeWayChannelIsRefused) {
  nChannels = 2;
  SetChannel(1, 5, 1, 2, 3, 4, 5);
  SetChannel(2, 6, 1, 2, 3, 4, 5);
  const auto table = conversionsArray;
  const Str255 titles = buttonlbls;
  EXPECT_FALSE(TransferChannelToButton(3, 1, "x"));
  EXPECT_FALSE(TransferChannelToButton(3, 2, "x"));
  EXPECT_EQ(conversionsArray, table);
  EXPECT_EQ(buttonlbls, titles);
  EXPECT_EQ(TransferRefusal(3, 1),
            "Channel 1 uses a breakpoint conversion: a button holds only a, b and c, not its equations.");
  EXPECT_EQ(TransferRefusal(3, 2), "Channel 2 uses the three-way polynomial, which has its own button.");
  EXPECT_EQ(TransferRefusal(0, 1), "Select a conversion button first, then a channel.");
  EXPECT_EQ(TransferRefusal(3, 0), "Select the channel the button is to take.");
}

TEST_F(CustomTableTest, TransferWithoutMarkedButtonOrChannelDoesNothing) {
  nChannels = 2;
  SetChannel(1, 1, 1, 2, 3, 4, 5);
  const auto table = conversionsArray;
  EXPECT_FALSE(TransferChannelToButton(0, 1, "x"));
  EXPECT_FALSE(TransferChannelToButton(2, 1, "x"));
  EXPECT_FALSE(TransferChannelToButton(11, 1, "x"));  // the three-way button
  EXPECT_FALSE(TransferChannelToButton(3, 0, "x"));
  EXPECT_FALSE(TransferChannelToButton(3, 3, "x"));  // above nChannels
  EXPECT_FALSE(TransferChannelToButton(3, -1, "x"));
  EXPECT_EQ(conversionsArray, table);
}

TEST_F(CustomTableTest, EditorStoreWritesTableTextsAndPolyarrayRowZero) {
  CustomEditorFields f = CustomEditorFieldsFromTable();
  EXPECT_EQ(f.rows[0].a, Str255(" 19"));
  EXPECT_EQ(f.rows[0].maximum, Str255(" 21.5"));
  EXPECT_EQ(f.threeWay[1], Str255(" 0.1419"));
  f.rows[2].title = "short";
  f.rows[2].label = "a label that is much longer than thirty bytes";
  f.rows[2].a = "1.5";
  f.rows[2].b = "abc";  // no number
  f.rows[2].c = "-2";
  f.rows[2].minimum = "-1";
  f.rows[2].maximum = "9";
  f.threeWayTitle = "3-way";
  f.threeWayLabel = "co2";
  const char* tw[8] = {"1", "2", "3", "4", "5", "6", "7", "8"};
  for (int i = 0; i < 8; ++i) f.threeWay[i] = tw[i];
  StoreCustomEditor(f);
  const CustomButton b = ReadCustomButton(5);
  EXPECT_EQ(b.a, 1.5f);
  EXPECT_EQ(b.b, 0.0f);
  EXPECT_EQ(b.c, -2.0f);
  EXPECT_EQ(b.minimum, -1.0f);
  EXPECT_EQ(b.maximum, 9.0f);
  EXPECT_EQ(b.type, 2);  // the store leaves type codes alone
  EXPECT_EQ(b.title.str(), "short" + Blanks(20));
  EXPECT_EQ(b.label.str(), "a label that is much longer th");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(conversionsArray[100 + i], static_cast<float>(i + 1));
  const ThreeWayPolyRecord row0{1, 2, 3, 4, 0, 5, 6};
  EXPECT_EQ(polyarray[0], row0);
  EXPECT_EQ(CustomButtonTitle(kThreeWayButton).str(), "3-way" + Blanks(20));
  EXPECT_EQ(but1lbls.str(), "co2" + Blanks(27));
  EXPECT_EQ(buttonlbls.size(), 225u);
  EXPECT_EQ(butcomments.size(), 240u);
  EXPECT_EQ(ReadCustomButton(3).a, 19.0f);  // untouched rows keep their values
}

TEST_F(CustomTableTest, PolyBoxSwitchesBetweenPolynomialAndPower) {
  EXPECT_TRUE(PolyBoxChecked(3));
  ClickPolyBox(3);
  EXPECT_EQ(ReadCustomButton(3).type, 3);
  EXPECT_FALSE(PolyBoxChecked(3));
  ClickPolyBox(3);
  EXPECT_EQ(ReadCustomButton(3).type, 2);
  conversionsArray[9 * 4 + 8] = 8;
  EXPECT_FALSE(PolyBoxChecked(4));
  ClickPolyBox(4);
  EXPECT_EQ(ReadCustomButton(4).type, 2);
  ClickPolyBox(11);  // not a custom button: nothing written
  ClickPolyBox(-5);
  EXPECT_EQ(conversionsArray[9 * 11 + 8], 0.3f);
}

TEST_F(CustomTableTest, ButtonsOutsideTheTableReadAsEmpty) {
  EXPECT_EQ(ReadCustomButton(2).type, 0);
  EXPECT_EQ(ReadCustomButton(12).title, Str255());
  EXPECT_EQ(CustomButtonTitle(-3), Str255());
  EXPECT_EQ(CustomButtonLabel(99), Str255());
}

}  // namespace
}  // namespace mv
