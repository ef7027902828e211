#include "calculators/frame.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>

#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

// The fields that show a no-result message, by window and field: the font each had,
// which it gets back with its next number, and the font the message was written in.
struct NoResultFont {
  rt::FontSpec before, message;
};
std::map<std::pair<int16_t, int16_t>, NoResultFont> gNoResultFonts;

bool SameFont(const rt::FontSpec& a, const rt::FontSpec& b) {
  return a.family == b.family && a.pixelSize == b.pixelSize && a.bold == b.bold && a.italic == b.italic;
}

// What the action in hand has met: a typed number too large to hold, and whether
// it has buzzed already.
constexpr const char* kTooLargeReason = "number too large";
bool gTooLargeRead = false;
bool gBuzzed = false;

void StartAction() {
  gTooLargeRead = false;
  gBuzzed = false;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Beyond double precision upwards, not towards 0: the decimal magnitude of the
// digits before the exponent plus the exponent.
bool Overflows(std::string_view number) {
  std::size_t i = 0;
  long long magnitude = 0;
  bool seenDigit = false;
  for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
    if (number[i] != '0' || seenDigit) {
      seenDigit = true;
      ++magnitude;
    }
  }
  if (i < number.size() && number[i] == '.') {
    for (++i; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
      if (seenDigit) continue;
      if (number[i] != '0')
        seenDigit = true;
      else
        --magnitude;
    }
  }
  long long exponent = 0;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
    for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i)
      exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000LL);
    if (negative) exponent = -exponent;
  }
  return seenDigit && magnitude + exponent > 0;
}

double ReadChecked(int16_t field, double limit) {
  if (!rt::EditFieldExists(field)) return 0.0;
  const Entry e = ReadEntry(rt::EditText(field));
  if (e.kind == EntryKind::TooLarge || std::fabs(e.value) > limit) {
    gTooLargeRead = true;
    return std::numeric_limits<double>::quiet_NaN();
  }
  return e.value;
}

}  // namespace

void OpenCalculatorWindow(const Str255& title, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (rt::WindowExists(kCalculatorWindow)) rt::CloseWindow(kCalculatorWindow);
  std::erase_if(gNoResultFonts, [](const auto& f) { return f.first.first == kCalculatorWindow; });
  StartAction();
  BuildWINDOW(kCalculatorWindow, title, left, top, right, bottom, 6);
}

Entry ReadEntry(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size()) return {};
  const auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
  const std::size_t signAt = i;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (!isDigit(i) && !(i < text.size() && text[i] == '.' && isDigit(i + 1)))
    return {EntryKind::NotANumber, 0};
  double value = 0;
  const auto res =
      std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    const std::string_view number(text.data() + i, static_cast<std::size_t>(res.ptr - (text.data() + i)));
    if (Overflows(number)) return {EntryKind::TooLarge, 0};
    value = 0;
  } else if (res.ec != std::errc() || !std::isfinite(value)) {
    return {EntryKind::NotANumber, 0};
  }
  return {EntryKind::Number, text[signAt] == '-' ? -value : value};
}

float FieldValue(int16_t field) {
  return static_cast<float>(ReadChecked(field, std::numeric_limits<float>::max()));
}

double FieldValueDouble(int16_t field) {
  return ReadChecked(field, std::numeric_limits<double>::max());
}

bool FieldHoldsNumber(int16_t field) {
  return rt::EditFieldExists(field) && ReadEntry(rt::EditText(field)).kind == EntryKind::Number;
}

void SetFieldPlain(int16_t field, double value) {
  SetFieldText(field, NumberText(value));
}
void SetFieldFormatter(int16_t field, float value) {
  SetFieldText(field, ReadoutText(value));
}
void SetFieldPicture(int16_t field, double value, std::string_view picture) {
  SetFieldText(field, PictureFormat(value, picture));
}
void SetFieldText(int16_t field, const Str255& text) {
  if (!rt::EditFieldExists(field)) return;
  // A number after a no-result message: the field's own font again, unless the window
  // has given the field another font since.
  if (const auto f = gNoResultFonts.find({rt::OutputWindow(), field}); f != gNoResultFonts.end()) {
    if (SameFont(rt::EditFont(field), f->second.message)) rt::SetEditFont(field, f->second.before);
    gNoResultFonts.erase(f);
  }
  rt::SetEditText(field, text.str());
}

void ShowNoResult(int16_t field, std::string_view why) {
  if (rt::EditFieldExists(field)) {
    const std::string text = "no result: " + std::string(gTooLargeRead ? kTooLargeReason : why);
    // The field's frame and margins take about 8 pixels of its width.
    const int width = rt::EditFieldWidth(field);
    rt::FontSpec font = KitFont(KestraneFont, 11);
    while (width > 0 && font.pixelSize > 8 && rt::TextWidth(text, font) > width - 8) font.pixelSize -= 0.5;
    const auto [f, first] =
        gNoResultFonts.try_emplace({rt::OutputWindow(), field}, NoResultFont{rt::EditFont(field), font});
    if (!first) f->second.message = font;
    rt::SetEditFont(field, font);
    rt::SetEditText(field, text);
    rt::SelectEditText(field, 0, 0);  // the words from their start
  }
  if (!gBuzzed) zap();
  gBuzzed = true;
}

bool UsableResult(int16_t field, double value, std::string_view why) {
  if (std::isfinite(value)) return true;
  ShowNoResult(field, why);
  return false;
}

void HeldValues::Show(int16_t field, double value, const Str255& text) {
  SetFieldText(field, text);
  if (rt::EditFieldExists(field)) held_[field] = Held{rt::EditText(field), value};
}

const HeldValues::Held* HeldValues::Shown(int16_t field) const {
  const auto h = held_.find(field);
  if (h == held_.end() || !rt::EditFieldExists(field) || rt::EditText(field) != h->second.text)
    return nullptr;
  return &h->second;
}

double HeldValues::Value(int16_t field) const {
  if (const Held* h = Shown(field)) return h->value;
  return FieldValueDouble(field);
}

float HeldValues::FloatValue(int16_t field) const {
  if (const Held* h = Shown(field)) return static_cast<float>(h->value);
  return FieldValue(field);
}

void HeldValues::Forget(int16_t field) {
  held_.erase(field);
}

void HeldValues::Clear() {
  held_.clear();
}

void ActivateField(int16_t field) {
  rt::FocusEditField(field);
  if (field != 0 && rt::EditFieldExists(field)) rt::SelectEditText(field, 0, -1);
}

void FocusClick() {
  PlaySound("click.mp3", "MVsounds");
}

namespace {

void MoveFocusByTab() {
  const int16_t now = rt::FocusedEditField();
  ActivateField(now == 111 ? 112 : 111);
  FocusClick();
}

// Whether a typed character would turn the number of the focused entry field into
// one too large to hold.
bool KeyMakesEntryTooLarge(const std::string& key) {
  if (key.size() != 1 || static_cast<unsigned char>(key[0]) < ' ') return false;
  const int16_t field = rt::FocusedEditField();
  if (field == 0 || !rt::EditFieldExists(field)) return false;
  const int16_t type = rt::EditFieldType(field);
  if (type != 1 && type != 3) return false;
  const std::string text = rt::EditText(field);
  auto [from, to] = rt::EditSelection(field);
  from = std::clamp(from, 0, static_cast<int>(text.size()));
  to = std::clamp(to, from, static_cast<int>(text.size()));
  const std::string typed =
      text.substr(0, static_cast<std::size_t>(from)) + key + text.substr(static_cast<std::size_t>(to));
  return ReadEntry(typed).kind == EntryKind::TooLarge && ReadEntry(text).kind != EntryKind::TooLarge;
}

// The window's edit-key handler behind the check of what a key makes of the number.
void GuardEditKeys() {
  rt::EditKeyHandler inner = rt::CurrentWindowHandlers().editKey;
  rt::SetEditKeyHandler([inner](const std::string& key) {
    if (KeyMakesEntryTooLarge(key)) {
      zap();
      return;
    }
    if (inner)
      inner(key);
    else
      rt::InsertIntoFocusedField(key);
  });
}

}  // namespace

void RunCalculatorLoop(const LoopRules& rules, const ButtonAction& onButton,
                       rt::EditKeyHandler editKeyHandler) {
  const HandlerScope callersHandlers;
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  if (editKeyHandler) rt::SetEditKeyHandler(editKeyHandler);
  GuardEditKeys();
  bool done = false;
  while (!done && rt::WindowExists(kCalculatorWindow)) {
    rt::PumpEvents();
    rt::SetOutputWindow(kCalculatorWindow);
    StartAction();
    // A letter typed while no field has the focus also arrives as a key, carrying
    // its character; only Return and Enter stand for the default button.
    if (Action == ActionCode::Key && EventID != 0 && EventID != 13 && EventID != 3) Action = 0;
    if (Action == ActionCode::Key) {
      if (rules.onReturn) {
        rules.onReturn();
        Action = 0;
      } else if (rules.defaultButton != 0) {
        Action = ActionCode::Click;
        EventID = rules.defaultButton;
      }
    }
    if (Action == ActionCode::Tab && rules.tabMovesFocus) MoveFocusByTab();
    if (Action == ActionCode::Click && EventID != 0) {
      const int16_t button = static_cast<int16_t>(EventID);
      Action = 0;
      EventID = 0;
      done = button == rules.doneButton || (onButton && onButton(button));
    } else if (Action == ActionCode::CloseBox && EventID == kCalculatorWindow) {
      done = true;
    } else if (Action != 0 && rules.onOther) {
      done = rules.onOther(Action, EventID);
    }
    if (!done && rules.afterPass) rules.afterPass();
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kCalculatorWindow)) {
    if (rules.beforeClose) {
      rt::SetOutputWindow(kCalculatorWindow);
      rules.beforeClose();
    }
    rt::CloseWindow(kCalculatorWindow);
  }
}

int16_t HelpTopicOfSpecialItem(int16_t item) {
  switch (item) {
    case 1:
      return 178;
    case 2:
      return 191;
    case 3:
      return 193;
    case 5:
      return 179;
    case 6:
    case 7:
      return 180;
    case 8:
    case 9:
      return 181;
    case 11:
    case 12:
      return 160;
    case 13:
      return 188;
    case 14:
      return 182;
    case 15:
      return 140;
    case 18:
      return 169;
    default:
      return 0;
  }
}

void ShowCalculatorHelp(int16_t topic) {
  if (topic != 0) DoHelpWindow(topic);
}

}  // namespace mv::calc
