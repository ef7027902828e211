// The rules of the conversions window: ranges and texts by interface, the labels
// the inputs and interfaces impose, the marked button and what each type button
// gives the channel.
#include <cmath>
#include <string>

#include "conversions/conversions_window.h"
#include "conversions/custom_table.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "devices/state.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr std::size_t kRangeTextLimit = 21;

Str255 TemperatureLabel() {
  return Str255("Temperature (") + kDegCText + ")";
}

float TextNumber(const Str255& text) {
  const auto value = static_cast<float>(TextToNumber(text));
  return std::isfinite(value) ? value : 0.0f;
}

Str255 TrimmedLabel(Str255 label) {
  TRUNCATE(label);
  return label;
}

TypeChoice PlainChoice(int16_t type, float c, int16_t externalAD) {
  TypeChoice t;
  t.type = t.panelType = type;
  t.a = 0.0f;
  t.b = 1.0f;
  t.c = c;
  t.label = "volts";
  t.texts = InterfaceRangeTexts(externalAD);
  return t;
}

TypeChoice CustomChoice(int16_t n, int16_t externalAD) {
  const CustomButton button = ReadCustomButton(n);
  TypeChoice t;
  t.type = t.panelType = button.type;
  t.a = button.a;
  t.b = button.b;
  t.c = button.c;
  t.label = TrimmedLabel(button.label);
  t.texts = {RangeText(button.minimum), RangeText(button.maximum)};
  t.range = {button.minimum, button.maximum};
  // Button 8 on a DT500/DT600 or DT50 reads a thermocouple: the value is the
  // logger's reading itself (type 0), after the stored type's panel was shown.
  if (n == 8 && (externalAD == ExternalADCode::DT500 || externalAD == ExternalADCode::DT50)) {
    t.thermocoupleReading = true;
    t.type = 0;
  }
  return t;
}

}  // namespace

DisplayRange InterfaceVoltageRange(int16_t externalAD) {
  switch (externalAD) {
    case ExternalADCode::ADC1:
      return {-0.4f, 0.4f};
    case ExternalADCode::DT500:
    case ExternalADCode::DT50:
      return {-3.5f, 3.5f};
    case ExternalADCode::DT800:
      return {-13.0f, 13.0f};
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      return {-3.0f, 3.0f};
    default:
      return {-5.0f, 5.0f};
  }
}

RangeTexts InterfaceRangeTexts(int16_t externalAD) {
  switch (externalAD) {
    case ExternalADCode::ADC1:
      return {"-.4", ".4"};
    case ExternalADCode::DT500:
    case ExternalADCode::DT50:
      return {"-3.5", "3.5"};
    case ExternalADCode::DT800:
      return {"-10", "10"};
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      return {"-3", "3"};
    default:
      return {"-5", "5"};
  }
}

Str255 RangeText(float value) {
  Str255 text = PrintedNumber(value);
  std::size_t start = 1;
  while (start <= text.size() && text[start - 1] == ' ') ++start;
  return text.mid(start, kRangeTextLimit);
}

InputProposal SableInternalInputProposal(int16_t input, int16_t readMode) {
  InputProposal p;
  if (input >= 9 && input <= 12) {
    if (readMode > 4) {
      // The slot holds something else than a read mode: say so and show volts.
      p.label = "volts";
      p.range = DisplayRange{0.0f, 5.0f};
      p.zap = true;
    } else if (readMode == 1) {
      p.label = "volts";
      p.range = DisplayRange{0.0f, 5.0f};
    } else if (readMode == 2) {
      p.label = "Resistance (ohms)";
    } else {
      p.label = TemperatureLabel();
      p.range = DisplayRange{0.0f, 40.0f};
    }
  } else if (input == 13) {
    p.label = "count";
    p.range = DisplayRange{0.0f, 65565.0f};
  } else if (input == 14) {
    p.label = "volts";
    p.range = DisplayRange{0.0f, 5.0f};
  } else if (input >= 16) {
    p.label = "volts";
  }
  return p;
}

std::optional<LabelOverride> InterfaceLabelOverride(int16_t externalAD, int16_t dataTakerKind,
                                                    int16_t thermocoupleType, int16_t adamSensor) {
  if (IsDataTakerInterface(externalAD)) {
    if (dataTakerKind == 2) return LabelOverride{"Resistance (ohms)", {0.0f, 10000.0f}};
    if (dataTakerKind == 0 && thermocoupleType != 0) return LabelOverride{TemperatureLabel(), {0.0f, 40.0f}};
  } else if (externalAD == ExternalADCode::ADAM && adamSensor >= 100 && adamSensor <= 102) {
    return LabelOverride{TemperatureLabel(), {-5.0f, 45.0f}};
  }
  return std::nullopt;
}

int16_t MarkedButtonForType(int16_t type) {
  switch (type) {
    case ConversionTypeCode::Polynomial:
      return ConversionsButton::Polynomial;
    case ConversionTypeCode::Power:
      return ConversionsButton::Power;
    case ConversionTypeCode::Breakpoint:
      return ConversionsButton::Breakpoint;
    case ConversionTypeCode::ThreeWay:
      return ConversionsButton::ThreeWay;
    case ConversionTypeCode::Keyboard:
      return ConversionsButton::Keyboard;
    case ConversionTypeCode::Logarithmic:
      return ConversionsButton::Log;
    case ConversionTypeCode::Reciprocal:
      return ConversionsButton::Reciprocal;
    default:
      return ConversionsButton::Linear;
  }
}

bool ClickMarksButton(int16_t button) {
  return button < ConversionsButton::SelectionOK || button == ConversionsButton::Linear ||
         button == ConversionsButton::Reciprocal;
}

bool OptionsButtonShown(int16_t recordingMode, int16_t channel) {
  return recordingMode == RecordingModeCode::Chart ||
         (recordingMode == RecordingModeCode::ScopeChart && channel > 1);
}

bool CalibrationButtonShown(int16_t externalAD) {
  return externalAD != ExternalADCode::SerialStream;
}

std::optional<TypeChoice> TypeButtonChoice(int16_t button, int16_t externalAD) {
  std::optional<TypeChoice> t;
  switch (button) {
    case ConversionsButton::Linear:
      t = PlainChoice(ConversionTypeCode::Linear, 0.0f, externalAD);
      break;
    case ConversionsButton::Power:
      t = PlainChoice(ConversionTypeCode::Power, 1.0f, externalAD);
      break;
    case ConversionsButton::Polynomial:
      t = PlainChoice(ConversionTypeCode::Polynomial, 0.0f, externalAD);
      break;
    case ConversionsButton::Log:
      t = PlainChoice(ConversionTypeCode::Logarithmic, 0.0f, externalAD);
      break;
    case ConversionsButton::Reciprocal:
      t = PlainChoice(ConversionTypeCode::Reciprocal, 0.0f, externalAD);
      break;
    case ConversionsButton::Keyboard:
      t = TypeChoice{};
      t->type = t->panelType = ConversionTypeCode::Keyboard;
      t->a = t->b = t->c = 0.0f;
      t->clearsPanel = true;
      t->label = "Event recorder";
      t->texts = {"0", "50"};
      break;
    case ConversionsButton::ThreeWay:
      t = TypeChoice{};
      t->type = t->panelType = ConversionTypeCode::ThreeWay;
      t->a = conversionsArray[100];
      t->b = conversionsArray[101];
      t->c = conversionsArray[102];
      t->threeWay = true;
      t->label = TrimmedLabel(but1lbls);
      t->texts = {RangeText(ThreeWayButtonMinimum()), RangeText(ThreeWayButtonMaximum())};
      break;
    default:
      if (IsCustomButton(button)) return CustomChoice(button, externalAD);
      return std::nullopt;
  }
  // The proposed range reaches the scaling dialog only as numbers.
  t->range = {TextNumber(t->texts.minimum), TextNumber(t->texts.maximum)};
  return t;
}

Str255 ConversionMenuText(std::string_view prefix, int16_t channel, std::string_view label) {
  return Str255(prefix) + NumText(channel) + ":  " + TrimmedLabel(Str255(label));
}

Str255 StoredChannelLabel(int16_t channel) {
  return ChannelLabelField(channel);
}

void StoreChannelLabel(int16_t channel, std::string_view text) {
  SetChannelLabel(channel, text);
}

}  // namespace mv
