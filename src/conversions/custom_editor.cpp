// The editor of the custom conversion buttons (window 11, "Custom voltage
// conversions").
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "conversions/custom_table.h"
#include "conversions/custom_windows.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/channel_values.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kCustomEditorWindow;
constexpr int16_t kHelpTopic = 154;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kRed{65535, 0, 0};
constexpr int kRows = kLastCustomButton - kFirstCustomButton + 1;
// The line that refuses a coefficient a channel cannot hold, below the buttons.
constexpr int16_t kRefusalField = 120;

void CustomMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

int16_t RowField(int k, int column) {
  using namespace CustomEditorControl;
  return static_cast<int16_t>(FirstRowField + RowStep * k + column);
}

Str255 FieldText(int16_t field) {
  return rt::EditFieldExists(field) ? Str255(rt::EditText(field)) : Str255();
}

enum class Ending { Store, Save, Cancel, MenuCommand };

class CustomEditor {
 public:
  void Run() {
    MENUID = 0;
    for (;;) {
      // The "poly?" boxes change the stored codes at once; an ending without a
      // store puts them back.
      std::array<float, kRows> codes{};
      for (int k = 0; k < kRows; ++k) codes[k] = conversionsArray[9 * (k + kFirstCustomButton) + 8];
      Build();
      const Ending ending = Loop();
      if (ending == Ending::Store || ending == Ending::Save) {
        Store();
      } else {
        for (int k = 0; k < kRows; ++k) conversionsArray[9 * (k + kFirstCustomButton) + 8] = codes[k];
      }
      if (ending == Ending::Save) services::SAVEsettings();
      if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
      Action = 0;
      EventID = 0;
      if (ending != Ending::MenuCommand) break;
      MENUID = 0;
    }
    services::SetUpMENUs(1);
  }

 private:
  void Build() {
    // 632 pixels wide: the window and its frame fit the narrowest display (640).
    BuildWINDOW(kWindow, "Custom voltage conversions", 4, 44, 636, 440, 6);
    wssst();
    BuildHeadings();
    BuildRows();
    BuildThreeWayArea();
    using namespace CustomEditorControl;
    rt::NewControl(SaveConversions, rt::ControlType::PushButton, "Save Conversions...",
                   Rect{100, 343, 260, 364}, 1);
    DrawIcon(138, 269, 369);
    DrawIcon(139, 305, 369);
    rt::NewControl(ConversionsOK, rt::ControlType::DefaultButton, "Conversions OK", Rect{455, 343, 620, 364},
                   1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?", Rect{395, 343, 445, 363}, 1);
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(CustomMenuHandler);
    rt::FlushWindow();
  }

  static void BuildHeadings() {
    rt::SetTextFont(KitFont(KestraneFont, 14));
    rt::SetTextColor(kRed);
    DoSubscript(24, 15, "conversions:  a + b*volts", "c", "", -4);
    DoSubscript(258, 15, " or 2-degree polynomial:  a + b*volts + c*volts", "2", "", -4);
    rt::SetTextColor(kBlack);
    const rt::FontSpec font = KitFont(KestraneFont, 12);
    rt::DrawText(16, 31, " button label ", font, kBlack);
    rt::DrawText(195, 31, "channel label", font, kBlack);
    rt::DrawText(313, 31, "poly?     a            b            c          min       max", font, kBlack);
  }

  static void Field(int16_t number, const Str255& text, int16_t left, int16_t top, int16_t right,
                    int16_t bottom, int16_t justification) {
    BUILDEF(number, text, left, top, right, bottom, 3, justification);
    rt::SetEditFont(number, KitFont(3, 11));
    rt::SelectEditText(number, 0, 0);
  }

  void BuildRows() {
    const CustomEditorFields f = CustomEditorFieldsFromTable();
    const int16_t left[5] = {346, 403, 460, 517, 569}, right[5] = {396, 453, 510, 563, 621};
    for (int k = 0; k < kRows; ++k) {
      const CustomEditorRow& row = f.rows[k];
      const auto top = static_cast<int16_t>(40 + 22 * k), bottom = static_cast<int16_t>(top + 18);
      const auto n = static_cast<int16_t>(k + kFirstCustomButton);
      Field(RowField(k, 0), row.title, 5, top, 161, bottom, 1);
      Field(RowField(k, 1), row.label, 167, top, 314, bottom, 1);
      rt::NewControl(n, rt::ControlType::CheckBox, "", Rect{320, top, 340, bottom},
                     PolyBoxChecked(n) ? 2 : 1);
      const Str255 values[5] = {row.a, row.b, row.c, row.minimum, row.maximum};
      for (int i = 0; i < 5; ++i) Field(RowField(k, 2 + i), values[i], left[i], top, right[i], bottom, 2);
    }
    // The first row's title takes the typing at once.
    rt::FocusEditField(RowField(0, 0));
    rt::SelectEditText(RowField(0, 0), 0, -1);
  }

  static void BuildThreeWayArea() {
    using namespace CustomEditorControl;
    const CustomEditorFields f = CustomEditorFieldsFromTable();
    BUILDBOX(5, 222, 626, 333);
    const rt::FontSpec font = KitFont(KestraneFont, 12);
    rt::DrawText(60, 237, "Three-degree polynomial conversion:", KitFont(KestraneFont, 13), kRed);
    rt::DrawText(30, 256, "button label ", font, kBlack);
    Field(ThreeWayTitle, f.threeWayTitle, 15, 263, 197, 280, 1);
    rt::DrawText(225, 256, "channel label", font, kBlack);
    Field(ThreeWayLabel, f.threeWayLabel, 205, 264, 383, 279, 1);
    rt::DrawText(396, 276, " v = volts *", font, kBlack);
    // p0, p1, p2, p3, K, m, minimum, maximum: m sits beside the volts factor text.
    const int16_t left[8] = {10, 92, 198, 304, 412, 482, 500, 561},
                  right[8] = {86, 192, 298, 404, 482, 558, 555, 620};
    for (int i = 0; i < 8; ++i) {
      const bool m = i == 5;
      Field(static_cast<int16_t>(FirstThreeWayValue + i), f.threeWay[i], left[i], m ? 265 : 310, right[i],
            m ? 279 : 324, 2);
    }
    DrawFormula(left, right);
  }

  // (A + B*v + C*v2 + D*v3) * E over the fields that hold them, min and max beside.
  static void DrawFormula(const int16_t* left, const int16_t* right) {
    const rt::FontSpec formula = KitFont(KestraneFont, 14);
    const rt::FontSpec raised = KitFont(KestraneFont, 11);
    constexpr int y = 302;
    auto centred = [&](int i, const char* text, const char* power, const char* after) {
      const int w =
          rt::TextWidth(text, formula) + rt::TextWidth(power, raised) + rt::TextWidth(after, formula);
      int x = (left[i] + right[i] - w) / 2;
      rt::DrawText(x, y, text, formula, kBlack);
      x += rt::TextWidth(text, formula);
      rt::DrawText(x, y - 5, power, raised, kBlack);
      rt::DrawText(x + rt::TextWidth(power, raised), y, after, formula, kBlack);
    };
    centred(0, "(A", "", "");
    centred(1, "B*v", "", "");
    centred(2, "C*v", "2", "");
    centred(3, "D*v", "3", " )");
    centred(4, "E", "", "");
    centred(6, "min", "", "");
    centred(7, "max", "", "");
    // The operators between the columns.
    const int16_t plusBetween[3][2] = {{0, 1}, {1, 2}, {2, 3}};
    for (const auto& p : plusBetween)
      rt::DrawText((right[p[0]] + left[p[1]]) / 2 - 4, y, "+", formula, kBlack);
    rt::DrawText((right[3] + left[4]) / 2 - 3, y, "*", formula, kBlack);
  }

  Ending Loop() {
    using namespace CustomEditorControl;
    for (;;) {
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) return Ending::Cancel;
      rt::SetOutputWindow(kWindow);
      const int16_t action = Action;
      const int32_t item = EventID;
      Action = 0;
      EventID = 0;
      if (MENUID == 255) return Ending::MenuCommand;
      if (action == ActionCode::CloseBox && item == kWindow) return Ending::Cancel;
      const bool store = action == ActionCode::Key || (action == ActionCode::Click && item == ConversionsOK);
      const bool save = action == ActionCode::Click && item == SaveConversions;
      if ((store || save) && CoefficientRefused()) continue;
      if (store) return Ending::Store;
      if (save) return Ending::Save;
      if (action != ActionCode::Click) continue;
      if (item == Help) {
        DoHelpWindow(kHelpTopic);
        rt::SetOutputWindow(kWindow);
      } else if (IsCustomButton(static_cast<int>(item))) {
        const auto n = static_cast<int16_t>(item);
        ClickPolyBox(n);
        rt::SetControlState(n, PolyBoxChecked(n) ? 2 : 1);
      }
    }
  }

  // A coefficient a channel cannot hold (stored, it would become 0) keeps the editor
  // open, with a line that names the button and the coefficient and says why, the field
  // selected. The minimum and maximum are the plot's range, not coefficients.
  static bool CoefficientRefused() {
    using namespace CustomEditorControl;
    rt::SetOutputWindow(kWindow);
    std::optional<std::pair<int16_t, std::string>> refusal;
    const auto check = [&](int16_t field, const std::string& name) {
      if (refusal || !rt::EditFieldExists(field)) return;
      const std::string text = rt::EditText(field);
      if (const auto why = TypedCoefficientProblem(text))
        refusal = std::make_pair(field, name + ": \"" + text + "\" " + *why + ".");
    };
    for (int k = 0; k < kRows; ++k) {
      std::string title = FieldText(RowField(k, 0)).str();
      title.erase(title.find_last_not_of(' ') + 1);
      const std::string button = title.empty() ? "Button " + std::to_string(k + 1) : "\"" + title + "\"";
      for (int i = 0; i < 3; ++i) check(RowField(k, 2 + i), button + ", " + "abc"[i]);
    }
    const char* const threeWay[] = {"A", "B", "C", "D", "E", "volts factor"};
    for (int i = 0; i < 6; ++i)
      check(static_cast<int16_t>(FirstThreeWayValue + i),
            std::string("Three-degree polynomial, ") + threeWay[i]);
    return RefuseField(kRefusalField, Rect{8, 372, 626, 390}, refusal ? refusal->first : 0,
                       refusal ? std::optional(refusal->second) : std::nullopt);
  }

  static void Store() {
    using namespace CustomEditorControl;
    rt::SetOutputWindow(kWindow);
    CustomEditorFields f;
    for (int k = 0; k < kRows; ++k) {
      CustomEditorRow& row = f.rows[k];
      row.title = FieldText(RowField(k, 0));
      row.label = FieldText(RowField(k, 1));
      row.a = FieldText(RowField(k, 2));
      row.b = FieldText(RowField(k, 3));
      row.c = FieldText(RowField(k, 4));
      row.minimum = FieldText(RowField(k, 5));
      row.maximum = FieldText(RowField(k, 6));
    }
    f.threeWayTitle = FieldText(ThreeWayTitle);
    f.threeWayLabel = FieldText(ThreeWayLabel);
    for (int i = 0; i < 8; ++i) f.threeWay[i] = FieldText(static_cast<int16_t>(FirstThreeWayValue + i));
    StoreCustomEditor(f);
  }
};

}  // namespace

void CustomConversionEditor() {
  const HandlerScope callersHandlers;
  CustomEditor().Run();
}

}  // namespace mv
