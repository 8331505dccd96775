// MessagePump.hpp: lets a long operation on the window's thread keep the window alive.
#pragma once

#include <windows.h>

#include <functional>

namespace platform {

// Sees each message before it is translated and delivered; true when it took the message itself, which is
// then neither translated nor delivered.
using MessageInterceptor = std::function<bool(const MSG& msg)>;

// Removes, translates and delivers every message waiting for this thread, then returns. A WM_QUIT found on
// the way is put back and ends the pass, so the loop that owns the thread still sees it.
void DispatchWaitingMessages(const MessageInterceptor& intercept = nullptr);

}  // namespace platform
