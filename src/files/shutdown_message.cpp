#include "files/shutdown_message.h"

#include "files/bytes.h"
#include "files/needs.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

// A message is one line: far more than any window shows.
constexpr std::size_t kMaxMessageFile = 64 * 1024;

enum class Choice { Waiting, Save, Clear };

Choice ChoiceOf() {
  switch (Action) {
    case ActionCode::Click:
      if (EventID == kShutdownSaveButton) return Choice::Save;
      if (EventID == kShutdownClearButton) return Choice::Clear;
      return Choice::Waiting;
    case ActionCode::Key:
      // Return in the field is the default button.
      return (EventID == 0 || EventID == 13 || EventID == 3) ? Choice::Save : Choice::Waiting;
    default:
      return Choice::Waiting;
  }
}

void BuildEditor(const std::string& text) {
  BuildWINDOW(kShutdownMessageWindow, "Shutdown Message", 0, 0, 650, 320, 262);
  WARNINGSTRIPES(6);
  // A wrapping field, so a message longer than the window's width stays in view; Return
  // never reaches it (it is the default button), so the message stays one line.
  BUILDEF(kShutdownMessageField, Str255(""), 18, 15, 631, 270, 2, 1);
  rt::SetEditFont(kShutdownMessageField, KitFont(KestraneFont, 36));
  rt::SetEditText(kShutdownMessageField, text);
  rt::SelectEditText(kShutdownMessageField, 0, -1);
  rt::DrawText(20, 300, "Don't use <return > or commas!", KitFont(KestraneFont, 18), RGBColor{0, 0, 0});
  rt::NewControl(kShutdownClearButton, rt::ControlType::PushButton, "Clear", Rect{330, 282, 420, 308}, 1);
  rt::NewControl(kShutdownSaveButton, rt::ControlType::DefaultButton, "Close and Save Message",
                 Rect{430, 282, 631, 308}, 1);
  rt::FlushWindow();
  rt::FocusEditField(kShutdownMessageField);
}

}  // namespace

std::string ShutdownMessagePath() {
  const std::string dir = rt::ConfigDir();
  return dir.empty() ? std::string() : dir + "/" + kShutdownMessageFileName;
}

std::string ReadShutdownMessage() {
  const std::string path = ShutdownMessagePath();
  if (path.empty()) return {};
  const FileBytes file = ReadFileBytes(path, kMaxMessageFile);
  if (file.status != ReadStatus::Ok) return {};
  return std::string(bytes::FirstLine(file.bytes));
}

std::string ShutdownMessageForEditor() {
  std::string text = ReadShutdownMessage();
  return text.empty() ? std::string(kShutdownMessagePrompt) : text;
}

std::string ShutdownMessageFileBytes(std::string_view text) {
  // A line end typed or pasted into the field would start a second line.
  std::string line(bytes::FirstLine(text));
  return line + bytes::kCR + bytes::kCR;
}

FileResult WriteShutdownMessage(std::string_view text) {
  const std::string path = ShutdownMessagePath();
  if (path.empty()) return FileResult{false, "there is no configuration folder"};
  return WriteFileSafely(path, ShutdownMessageFileBytes(text));
}

void ShutdownMessage() {
  const HandlerScope callersHandlers;
  if (ShutdownMessagePath().empty()) return;
  BuildEditor(ShutdownMessageForEditor());
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  Choice choice = Choice::Waiting;
  while (choice == Choice::Waiting && rt::WindowExists(kShutdownMessageWindow)) {
    rt::PumpEvents();
    choice = ChoiceOf();
    Action = 0;
    EventID = 0;
  }
  const std::string text = choice == Choice::Save ? rt::EditText(kShutdownMessageField) : std::string();
  rt::CloseWindow(kShutdownMessageWindow);
  if (choice == Choice::Waiting) return;
  const FileResult result = WriteShutdownMessage(text);
  if (!result)
    files_hooks::FileNotice("Shutdown message not saved", "The shutdown message could not be saved (" +
                                                              result.reason +
                                                              "). The file that was there is unchanged.");
}

}  // namespace mv
