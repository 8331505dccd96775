// WindowTextTest.cpp: window texts, the string table and the system menu in UTF-8, and the boundary itself.
#include <gtest/gtest.h>

#include "platform/CodePage.hpp"
#include "platform/SystemMenu.hpp"
#include "platform/WindowText.hpp"

namespace {

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

TEST_F(WindowTextTest, TextGoesBothWaysUnchanged) {
    // A backslash, a line break, characters GBK holds and characters it does not.
    const std::string text = "乗蔦\\简體\r\n한😀";
    platform::SetWindowUtf8Text(m_window, text);
    wchar_t wide[64] = {};
    ::GetWindowTextW(m_window, wide, 64);
    EXPECT_STREQ(L"乗蔦\\简體\r\n한😀", wide);
    EXPECT_EQ(text, platform::GetWindowUtf8Text(m_window));

    platform::SetWindowUtf8Text(m_window, "");
    EXPECT_EQ("", platform::GetWindowUtf8Text(m_window));
}

TEST(CodePageTest, EveryWindowsNameComesBackUnchangedAndBadBytesAreMarked) {
    // A lone surrogate is no character, yet Windows allows it in a name: it must come back as it went.
    for (const std::wstring& name :
         {std::wstring(L"a\xD800"
                       L"b"),
          std::wstring(L"\xDFFF"), std::wstring(L"\xD83D\xDE00"), std::wstring(L"\xDE00\xD83D")}) {
        EXPECT_EQ(name, platform::WideFromUtf8(platform::Utf8FromWide(name)));
    }
    EXPECT_EQ(
        "a\xED\xA0\x80"
        "b",
        platform::Utf8FromWide(L"a\xD800"
                               L"b"));
    EXPECT_EQ(
        L"\xFFFD\xFFFD"
        L"a",
        platform::WideFromUtf8("\xFF\xC0"
                               "a"));
}

TEST(CodePageTest, OnlyLongPathsTakeTheLongForm) {
    EXPECT_EQ(L"C:\\short\\*.txt", platform::WidePath("C:\\short\\*.txt"));
    const std::string longName = "C:\\" + std::string(300, 'x') + "\\..\\y.txt";
    EXPECT_EQ(L"\\\\?\\C:\\y.txt", platform::WidePath(longName));
    EXPECT_EQ(L"\\\\?\\UNC\\srv\\" + std::wstring(300, L'z'),
              platform::WidePath("\\\\srv\\" + std::string(300, 'z')));
    EXPECT_EQ(L"\\\\srv\\x", platform::WithoutLongPrefix(L"\\\\?\\UNC\\srv\\x"));
}

TEST_F(WindowTextTest, LongTextIsNotCut) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "繁";
    platform::SetWindowUtf8Text(m_window, text);
    EXPECT_EQ(text, platform::GetWindowUtf8Text(m_window));
}

TEST_F(WindowTextTest, MissingStringReadsEmpty) {
    // This test program has no string table.
    EXPECT_EQ("", platform::LoadUtf8String(101));
}

TEST_F(WindowTextTest, SystemMenuGetsASeparatorAndTheCommand) {
    HMENU menu = ::GetSystemMenu(m_window, FALSE);
    ASSERT_NE(nullptr, menu);
    const int before = ::GetMenuItemCount(menu);
    ASSERT_TRUE(platform::AppendSystemMenuCommand(m_window, 0x0010, "关于 Zendrix(&A)..."));
    ASSERT_EQ(before + 2, ::GetMenuItemCount(menu));
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(before), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(0x0010u, ::GetMenuItemID(menu, before + 1));
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(before + 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"关于 Zendrix(&A)...", text);
}

}  // namespace
