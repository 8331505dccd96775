// MessagePump.cpp: dispatching the waiting messages of the thread.
#include "MessagePump.hpp"

namespace platform {

void DispatchWaitingMessages(const MessageInterceptor& intercept) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (intercept && intercept(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace platform
