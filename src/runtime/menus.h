// The menu model: numbered menus with 1-based items. The model is shown as the
// menu bar (on Linux in a slim window at the top of the screen) and feeds popup
// controls. Key equivalents work from every window and reach the menu handler.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/str255.h"
#include "runtime/windows.h"

namespace mv::rt {

struct MenuItem {
  std::string text;  // UTF-8 (converted from Mac Roman by the Str255 setters)
  bool enabled = true;
  bool checked = false;
  bool separator = false;  // the item text "-"
  char key = 0;            // key equivalent with Ctrl (upper-case letter), 0 none
  int16_t submenu = 0;     // hierarchical menu number, 0 none
  // Asked whenever the item's state is read or shown: false dims the item whatever
  // its own state (SetMenuItemCondition, SetMenuItemFieldCommand).
  std::function<bool()> offered;
  // Asked whenever the check mark is read or shown, in place of `checked`: a mark
  // that follows a program state wherever that state is changed (SetMenuItemMark).
  std::function<bool()> markedBy;
  int fieldCommand = -1;  // a FieldCommand the runtime carries out itself, -1 none
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
Str255 MenuItemText(int16_t menu, int16_t item);                // Mac Roman
void EnableMenuItem(int16_t menu, int16_t item, bool enabled);  // item 0: the whole menu
bool MenuItemEnabled(int16_t menu, int16_t item);               // as shown: with its condition
void CheckMenuItem(int16_t menu, int16_t item, bool checked);
bool MenuItemChecked(int16_t menu, int16_t item);
void SetMenuItemKey(int16_t menu, int16_t item, char key);
void SetSubmenu(int16_t menu, int16_t item, int16_t submenu);
// Offers an item only while offered() holds, on top of its own enabled state (e.g. a
// command whose window is not part of the program yet). Kept until the menu is made
// again with NewMenu.
void SetMenuItemCondition(int16_t menu, int16_t item, std::function<bool()> offered);
// Gives an item a check mark that is asked of marked() each time the mark is read or
// shown, so it can never fall behind the state it shows; CheckMenuItem no longer
// changes it. Kept until the menu is made again with NewMenu.
void SetMenuItemMark(int16_t menu, int16_t item, std::function<bool()> marked);
// Makes an item one of the standard text commands. It is enabled only while an
// editable field of the front window has the focus, and choosing it acts on that
// field (after the menu has closed), whatever menu handler the window installed;
// the program's menu handler never sees the choice. Kept until the menu is made again.
void SetMenuItemFieldCommand(int16_t menu, int16_t item, FieldCommand command);
// True while an editable field of the front window has the focus: the fields the
// text commands (FocusedFieldCommand) act on.
bool EditableFieldHasFocus();

// The menu bar: the menus shown, in order.
void SetMenuBar(const std::vector<int16_t>& menus);
std::vector<int16_t> MenuBar();
void DrawMenuBar();  // shows the model's current state

// Finds the enabled item with this key equivalent among the bar's menus.
// Returns false when none has it.
bool FindMenuKey(char key, int16_t& menu, int16_t& item);

}  // namespace mv::rt
