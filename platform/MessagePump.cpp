// MessagePump.cpp: dispatching the waiting messages of the thread.
#include "MessagePump.hpp"

#include <windows.h>

namespace platform {

void DispatchWaitingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace platform
