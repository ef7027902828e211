#include "files/comment_text.h"

#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, which Mac Roman lacks ("?").
std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace

std::string FixContainerASCIIforSave(std::string_view viewUtf8) { return CleanCommentText(viewUtf8); }

std::string FixContainerASCIIforSave(std::u16string_view viewUtf16) {
  return FixContainerASCIIforSave(Utf16ToUtf8(viewUtf16));
}

void TextViewSetTextFromMyContainer(int16_t field) {
  rt::SetEditText(field, CommentContainer);
}

void TextViewGetTextCopyIntoMyContainer(int16_t field) {
  if (!rt::EditFieldExists(field)) return;
  // The field hands its text over as Mac Roman (a lossless step for everything Mac
  // Roman holds); the cleaning then works on the Unicode form.
  CommentContainer = FixContainerASCIIforSave(MacRomanToUtf8(rt::EditText(field)));
}

std::string SpikeSummaryBlock() {
  std::string block = "\r";
  const int channels = std::min<int>(nChannels, 16);
  for (int n = 1; n <= channels; ++n)
    if (SpikeFilterOfRun.thresholds[n] > 1.0f)
      block += SpikeSummaryLine(n, voltagespikes[n], SpikeFilterOfRun.thresholds[n]);
  return block;
}

void AppendSpikeSummaryToComment() {
  if (!SpikeFilterOfRun.on || PrefsArray[PrefsSlot::Autorepeat] != 0) return;
  const std::string block = SpikeSummaryBlock();
  if (CommentContainer.ends_with(block)) return;
  CommentContainer += block;
}

ExperimentConditions ConditionsFromFields(const ConditionTexts& texts, const ExperimentConditions& atOpening,
                                          const ExperimentConditions& now, bool endedByMenuCommand) {
  const auto read = [&](int i) { return static_cast<float>(TextToNumber(texts[i])); };
  ExperimentConditions c;
  c.flowrate = read(0);
  c.mass = read(1);
  c.BarometricPressure = read(2);
  c.flowtemp = read(3);
  c.EffectiveVolume = EffectiveVolumeFromTyped(TextToNumber(texts[4]));
  if (endedByMenuCommand) {
    // A calculator run from the menu bar set these while the window was open; its
    // result wins over the field the user saw before.
    const auto keep = [](float& field, float opened, float current) {
      if (current != opened) field = current;
    };
    keep(c.flowrate, atOpening.flowrate, now.flowrate);
    keep(c.mass, atOpening.mass, now.mass);
    keep(c.BarometricPressure, atOpening.BarometricPressure, now.BarometricPressure);
    keep(c.flowtemp, atOpening.flowtemp, now.flowtemp);
    keep(c.EffectiveVolume, atOpening.EffectiveVolume, now.EffectiveVolume);
  }
  return c;
}

std::string ConditionText(float value) {
  return PrintedNumber(value).str();
}

}  // namespace mv
