// MessagePump.hpp: lets a long operation on the window's thread keep the window alive.
#pragma once

namespace platform {

// Removes, translates and delivers every message waiting for this thread, then returns. A WM_QUIT found on
// the way is put back and ends the pass, so the loop that owns the thread still sees it.
void DispatchWaitingMessages();

}  // namespace platform
