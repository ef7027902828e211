// The menu model: numbered menus with 1-based items. The model is shown as the
// menu bar (on Linux in a slim window at the top of the screen) and feeds popup
// controls. Key equivalents work from every window and reach the menu handler.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/str255.h"

namespace mv::rt {

struct MenuItem {
  std::string text;         // UTF-8 (converted from Mac Roman by the Str255 setters)
  bool enabled = true;
  bool checked = false;
  bool separator = false;   // the item text "-"
  char key = 0;             // key equivalent with Ctrl (upper-case letter), 0 none
  int16_t submenu = 0;      // hierarchical menu number, 0 none
};

// Creates (or empties) a menu.
void NewMenu(int16_t menu, const Str255& title);
void DeleteMenu(int16_t menu);
bool MenuExists(int16_t menu);
// Sets item text (Mac Roman); "-" makes a separator. Items are created as needed.
void SetMenuItem(int16_t menu, int16_t item, const Str255& text);
void SetMenuItemUtf8(int16_t menu, int16_t item, const std::string& text);
void AppendMenuItems(int16_t menu, int16_t fromItem, const std::string& utf8List);  // ";"-separated
void RemoveMenuItem(int16_t menu, int16_t item);
int16_t MenuItemCount(int16_t menu);
MenuItem GetMenuItem(int16_t menu, int16_t item);
Str255 MenuItemText(int16_t menu, int16_t item);  // Mac Roman
void EnableMenuItem(int16_t menu, int16_t item, bool enabled);   // item 0: the whole menu
bool MenuItemEnabled(int16_t menu, int16_t item);
void CheckMenuItem(int16_t menu, int16_t item, bool checked);
bool MenuItemChecked(int16_t menu, int16_t item);
void SetMenuItemKey(int16_t menu, int16_t item, char key);
void SetSubmenu(int16_t menu, int16_t item, int16_t submenu);

// The menu bar: the menus shown, in order.
void SetMenuBar(const std::vector<int16_t>& menus);
std::vector<int16_t> MenuBar();
void DrawMenuBar();     // shows the model's current state

// Finds the enabled item with this key equivalent among the bar's menus.
// Returns false when none has it.
bool FindMenuKey(char key, int16_t& menu, int16_t& item);

}  // namespace mv::rt
