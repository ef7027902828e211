// The event loop of the analog-output editors (the script and feedback windows):
// one event per pass until the window is done, a handled menu command asks for a
// rebuild, or the window is gone.
#pragma once
#include <cstdint>
#include <functional>

#include "kit/protocol.h"

namespace mv {

enum class EditorEnd { Done, MenuCommand, Gone };

// beforePass runs before each pump; clicked gets each control click and returns
// true when it ends the window. Activation, the close box and a typed Return end it.
EditorEnd RunEditorLoop(int16_t window, MenuHandlerFn menuHandler, const std::function<void()>& beforePass,
                        const std::function<bool(int16_t)>& clicked);

}  // namespace mv
