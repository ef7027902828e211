#include "control/editor_loop.h"

#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

EditorEnd RunEditorLoop(int16_t window, MenuHandlerFn menuHandler, const std::function<void()>& beforePass,
                        const std::function<bool(int16_t)>& clicked) {
  const HandlerScope callersHandlers;
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(menuHandler);
  while (rt::WindowExists(window)) {
    if (beforePass) beforePass();
    rt::PumpEvents();
    if (!rt::WindowExists(window)) return EditorEnd::Gone;
    rt::SetOutputWindow(window);
    if (MENUID == 255) return EditorEnd::MenuCommand;
    bool done = false;
    if (Action == ActionCode::WindowActivity || Action == ActionCode::CloseBox) {
      rt::BringWindowForward(window);
      rt::SetOutputWindow(window);
      done = true;
    } else if (Action == ActionCode::Key) {
      done = true;
    } else if (Action == ActionCode::Click) {
      done = clicked(static_cast<int16_t>(EventID));
    }
    Action = 0;
    if (done) return EditorEnd::Done;
  }
  return EditorEnd::Gone;
}

}  // namespace mv
