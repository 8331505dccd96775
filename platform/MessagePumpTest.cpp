// MessagePumpTest.cpp: dispatching what waits, translating keys, and leaving WM_QUIT to the loop that owns
// it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/MessagePump.hpp"

namespace {

std::vector<UINT> g_received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP || message == WM_CHAR) g_received.push_back(message);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class MessagePumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZendrixPumpTest";
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowW(L"ZendrixPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, m_window);
        platform::DispatchWaitingMessages();
        g_received.clear();
    }
    void TearDown() override { ::DestroyWindow(m_window); }

    HWND m_window = nullptr;
};

TEST_F(MessagePumpTest, DeliversEverythingWaitingAndReturnsWhenTheQueueIsEmpty) {
    ::PostMessageW(m_window, WM_APP, 0, 0);
    ::PostMessageW(m_window, WM_APP + 1, 0, 0);
    ::PostMessageW(m_window, WM_APP + 2, 0, 0);
    platform::DispatchWaitingMessages();
    EXPECT_EQ((std::vector<UINT>{WM_APP, WM_APP + 1, WM_APP + 2}), g_received);

    platform::DispatchWaitingMessages();  // nothing waits: returns at once
    EXPECT_EQ(3u, g_received.size());
}

TEST_F(MessagePumpTest, TranslatesKeysIntoCharacters) {
    ::PostMessageW(m_window, WM_KEYDOWN, 'A', 0x001E0001);
    platform::DispatchWaitingMessages();
    EXPECT_EQ((std::vector<UINT>{WM_CHAR}), g_received);
}

TEST_F(MessagePumpTest, InterceptedMessagesAreNeitherTranslatedNorDelivered) {
    std::vector<UINT> seen;
    ::PostMessageW(m_window, WM_APP, 0, 0);
    ::PostMessageW(m_window, WM_KEYDOWN, 'A', 0x001E0001);
    ::PostMessageW(m_window, WM_APP + 1, 0, 0);
    platform::DispatchWaitingMessages([&](const MSG& msg) {
        seen.push_back(msg.message);
        return msg.message == WM_KEYDOWN || msg.message == WM_APP + 1;
    });
    EXPECT_EQ((std::vector<UINT>{WM_APP, WM_KEYDOWN, WM_APP + 1}), seen);
    EXPECT_EQ((std::vector<UINT>{WM_APP}), g_received);  // no WM_CHAR: the key was taken before translation
}

TEST_F(MessagePumpTest, QuitIsLeftForTheOwningLoop) {
    ::PostMessageW(m_window, WM_APP, 0, 0);
    ::PostQuitMessage(7);
    platform::DispatchWaitingMessages();
    EXPECT_EQ((std::vector<UINT>{WM_APP}), g_received);

    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
}

}  // namespace
