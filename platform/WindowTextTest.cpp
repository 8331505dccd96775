// WindowTextTest.cpp: window texts, the string table and the system menu in GBK.
#include <gtest/gtest.h>

#include "platform/CodePage.hpp"
#include "platform/SystemMenu.hpp"
#include "platform/WindowText.hpp"

namespace {

using platform::Utf8FromWide;

class WindowTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_window = ::CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, 200, 100,
                                     nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, m_window);
    }
    void TearDown() override { ::DestroyWindow(m_window); }

    HWND m_window = nullptr;
};

TEST_F(WindowTextTest, TextGoesBothWaysThroughCodePage936) {
    // 0x5C as a trail byte, a lone ASCII backslash and a line break.
    const std::string gbk = Utf8FromWide(L"乗蔦\\简體\r\n");
    ASSERT_EQ(std::string("\x81\x5C\xCA\x5C\x5C", 5), gbk.substr(0, 5));
    platform::SetWindowUtf8Text(m_window, gbk);
    wchar_t wide[64] = {};
    ::GetWindowTextW(m_window, wide, 64);
    EXPECT_STREQ(L"乗蔦\\简體\r\n", wide);
    EXPECT_EQ(gbk, platform::GetWindowUtf8Text(m_window));

    platform::SetWindowUtf8Text(m_window, "");
    EXPECT_EQ("", platform::GetWindowUtf8Text(m_window));
}

TEST_F(WindowTextTest, LongTextIsNotCut) {
    std::string gbk;
    for (int i = 0; i < 20000; ++i) gbk += Utf8FromWide(L"繁");
    platform::SetWindowUtf8Text(m_window, gbk);
    EXPECT_EQ(gbk, platform::GetWindowUtf8Text(m_window));
}

TEST_F(WindowTextTest, MissingStringReadsEmpty) {
    // This test program has no string table.
    EXPECT_EQ("", platform::LoadUtf8String(101));
}

TEST_F(WindowTextTest, SystemMenuGetsASeparatorAndTheCommand) {
    HMENU menu = ::GetSystemMenu(m_window, FALSE);
    ASSERT_NE(nullptr, menu);
    const int before = ::GetMenuItemCount(menu);
    ASSERT_TRUE(platform::AppendSystemMenuCommand(m_window, 0x0010, Utf8FromWide(L"关于 Zendrix(&A)...")));
    ASSERT_EQ(before + 2, ::GetMenuItemCount(menu));
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(before), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(0x0010u, ::GetMenuItemID(menu, before + 1));
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(before + 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"关于 Zendrix(&A)...", text);
}

}  // namespace
