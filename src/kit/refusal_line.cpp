#include "kit/refusal_line.h"

#include "kit/builders.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr RGBColor kDarkRed{0xA000, 0, 0};

}  // namespace

void ShowRefusalLine(int16_t field, Rect where, const std::string& text) {
  if (!rt::EditFieldExists(field)) {
    EFForeColor = 1;
    EFBackColor = 7;
    BUILDEF(field, Str255(text), where.left, where.top, where.right, where.bottom, 5, 0);
    rt::FontSpec font = KitFont(KestraneFont, 11);
    font.bold = true;
    rt::SetEditFont(field, font);
    rt::SetEditColors(field, kDarkRed, VeryLightGray);
  }
  rt::SetEditText(field, text);
  rt::FlushWindow();
}

void ClearRefusalLine(int16_t field) {
  if (rt::EditFieldExists(field)) rt::DisposeEditField(field);
}

bool RefuseField(int16_t field, Rect where, int16_t refused, const std::optional<std::string>& why) {
  if (!why) {
    ClearRefusalLine(field);
    return false;
  }
  zap();
  ShowRefusalLine(field, where, *why);
  rt::FocusEditField(refused);
  rt::SelectEditText(refused, 0, -1);
  return true;
}

}  // namespace mv
