#include "conversions/custom_table.h"

#include <cmath>
#include <string>

#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "kit/format.h"
#include "setup/state.h"

namespace mv {
namespace {

int Base(int n) {
  return 9 * n;
}

// A field's number; text that is no number, or a number beyond single precision,
// gives 0.
float Number(const Str255& text) {
  const float value = static_cast<float>(TextToNumber(text));
  return std::isfinite(value) ? value : 0.0f;
}

}  // namespace

bool IsCustomButton(int n) {
  return n >= kFirstCustomButton && n <= kLastCustomButton;
}

CustomButton ReadCustomButton(int n) {
  CustomButton b;
  if (!IsCustomButton(n)) return b;
  const int base = Base(n);
  b.a = conversionsArray[base + 1];
  b.b = conversionsArray[base + 2];
  b.c = conversionsArray[base + 3];
  b.minimum = conversionsArray[base + 4];
  b.maximum = conversionsArray[base + 5];
  b.type = WholeCode(conversionsArray[base + 8]);
  b.title = CustomButtonTitle(n);
  b.label = CustomButtonLabel(n);
  return b;
}

Str255 CustomButtonTitle(int n) {
  if (!IsCustomButton(n) && n != kThreeWayButton) return {};
  return TextField(buttonlbls, n - 2, kButtonTitleWidth);
}

Str255 CustomButtonLabel(int n) {
  if (n == kThreeWayButton) return but1lbls;
  if (!IsCustomButton(n)) return {};
  return TextField(butcomments, n - 2, kButtonLabelWidth);
}

std::array<float, 7> ThreeWayButtonRecord() {
  return {conversionsArray[100], conversionsArray[101], conversionsArray[102], conversionsArray[103], 0.0f,
          conversionsArray[104], conversionsArray[105]};
}

float ThreeWayButtonMinimum() {
  return conversionsArray[106];
}
float ThreeWayButtonMaximum() {
  return conversionsArray[107];
}

bool IsDataTakerInterface(int16_t externalAD) {
  return externalAD >= 3 && externalAD <= 7;
}

void DATATAKERBUTTON() {
  const int base = Base(8);
  conversionsArray[base + 1] = 0.0f;
  conversionsArray[base + 2] = 1.0f;
  conversionsArray[base + 3] = 0.0f;
  conversionsArray[base + 4] = 0.0f;
  conversionsArray[base + 5] = 45.0f;
  SetTextField(buttonlbls, 6, kButtonTitleWidth, std::string(kDegCText) + " (Cu-Cn thermocouple)  ");
  SetTextField(butcomments, 6, kButtonLabelWidth, kDegCText);
}

std::string TransferRefusal(int n, int16_t channel) {
  if (!IsCustomButton(n)) return "Select a conversion button first, then a channel.";
  if (channel < 1 || channel > nChannels || channel > 16) return "Select the channel the button is to take.";
  const std::string which = "Channel " + std::to_string(channel);
  switch (WholeCode(ChannelVariables[0][channel])) {
    case ConversionTypeCode::Breakpoint:
      return which + " uses a breakpoint conversion: a button holds only a, b and c, not its equations.";
    case ConversionTypeCode::ThreeWay:
      return which + " uses the three-way polynomial, which has its own button.";
    default:
      return "";
  }
}

bool TransferChannelToButton(int n, int16_t channel, std::string_view labelField) {
  if (!TransferRefusal(n, channel).empty()) return false;
  const int16_t type = WholeCode(ChannelVariables[0][channel]);
  const Str255 label = PadOrCut(labelField, kButtonLabelWidth);
  SetTextField(butcomments, n - 2, kButtonLabelWidth, label);
  SetTextField(buttonlbls, n - 2, kButtonTitleWidth, label.mid(1, kButtonTitleWidth));
  const auto& rec = ChannelVariables[channel];
  const int base = Base(n);
  conversionsArray[base + 1] = rec[2];
  conversionsArray[base + 2] = rec[3];
  conversionsArray[base + 3] = rec[4];
  conversionsArray[base + 4] = rec[6];
  conversionsArray[base + 5] = rec[5];
  conversionsArray[base + 8] = static_cast<float>(type);
  return true;
}

CustomEditorFields CustomEditorFieldsFromTable() {
  CustomEditorFields f;
  for (int n = kFirstCustomButton; n <= kLastCustomButton; ++n) {
    const CustomButton b = ReadCustomButton(n);
    CustomEditorRow& row = f.rows[n - kFirstCustomButton];
    row.title = b.title;
    row.label = b.label;
    row.a = PrintedNumber(b.a);
    row.b = PrintedNumber(b.b);
    row.c = PrintedNumber(b.c);
    row.minimum = PrintedNumber(b.minimum);
    row.maximum = PrintedNumber(b.maximum);
  }
  f.threeWayTitle = CustomButtonTitle(kThreeWayButton);
  f.threeWayLabel = but1lbls;
  for (int i = 0; i < 8; ++i) f.threeWay[i] = PrintedNumber(conversionsArray[100 + i]);
  return f;
}

void StoreCustomEditor(const CustomEditorFields& fields) {
  std::string titles, labels;
  for (int n = kFirstCustomButton; n <= kLastCustomButton; ++n) {
    const CustomEditorRow& row = fields.rows[n - kFirstCustomButton];
    const int base = Base(n);
    conversionsArray[base + 1] = Number(row.a);
    conversionsArray[base + 2] = Number(row.b);
    conversionsArray[base + 3] = Number(row.c);
    conversionsArray[base + 4] = Number(row.minimum);
    conversionsArray[base + 5] = Number(row.maximum);
    titles += PadOrCut(row.title, kButtonTitleWidth).str();
    labels += PadOrCut(row.label, kButtonLabelWidth).str();
  }
  titles += PadOrCut(fields.threeWayTitle, kButtonTitleWidth).str();
  for (int i = 0; i < 8; ++i) conversionsArray[100 + i] = Number(fields.threeWay[i]);
  CopyThreeWayButtonToPolyRow0();
  buttonlbls = Str255(titles);
  butcomments = Str255(labels);
  but1lbls = PadOrCut(fields.threeWayLabel, kButtonLabelWidth);
}

bool PolyBoxChecked(int n) {
  return IsCustomButton(n) && WholeCode(conversionsArray[Base(n) + 8]) == ConversionTypeCode::Polynomial;
}

void ClickPolyBox(int n) {
  if (!IsCustomButton(n)) return;
  float& code = conversionsArray[Base(n) + 8];
  code = WholeCode(code) == ConversionTypeCode::Polynomial ? ConversionTypeCode::Power
                                                           : ConversionTypeCode::Polynomial;
}

}  // namespace mv
