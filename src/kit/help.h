// Help pages by topic number, the program's outside addresses, and the
// scrolling text window with its text view.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace mv {

// The help page of a topic (a file of "HelpFiles"), or "" for topics with no
// page (143 to 146, 150, 151, 155 and numbers outside 128 to 194).
std::string HelpTopicPage(int16_t topic);
// The help book's start page.
constexpr const char* kHelpBookStartPage = "Mirevant help book.html";

// Registers the help book; the program's own help window needs nothing more.
void HBRegister();
// Opens a page of "HelpFiles" in the help window, at the anchor when given.
void HBGotoPage(const std::string& page, const std::string& anchor = {});
// Opens the page of the topic in the help window beside the window that asked
// for it (which goes on as before); a topic without a page, or a missing page,
// opens nothing. Returns 0.
int16_t DoHelpWindow(int16_t topic);

// The outside addresses 1 (the program's web site), 2 (a support message with a
// subject naming the program) and 3 (sunrise and sunset tables); "" otherwise.
std::string OutsideAddress(int16_t which);
// Opens address 1, 2 or 3 with the default application; other numbers do nothing.
void LSLaunchURL(int16_t which);

// ---- the scrolling text window -----------------------------------------------------
struct TextView {
  int16_t window = 0;
  int16_t view = 0;
};
constexpr const char* kSpeedWarningText = "speed warning 150.rtf";
// Builds the scrolling text window in the layout "speedcheckWindowChart" when
// NIBwindowIndex is 2, else "speedcheckWindow", under the next free window
// number (or the number given): a text view with margins 2 (top), 8 (left),
// 0 (bottom) and 2 (right) holding the speed warning text. The window is shown.
std::optional<TextView> BuildScrollingTextWindow();
std::optional<TextView> BuildScrollingTextWindow(int16_t windowNumber);
// Loads the speed warning text into the view whatever the name; -43 when the
// file is missing, else 0.
int16_t TxtViewLoadText(const TextView& view, const std::string& name);
void TxtViewSetMargins(const TextView& view, int16_t left, int16_t top, int16_t right, int16_t bottom);

}  // namespace mv
