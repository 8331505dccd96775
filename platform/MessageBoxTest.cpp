// MessageBoxTest.cpp: the program's message box: caption, text through code page 936, icons and answers.
#include <gtest/gtest.h>

#include <vector>

#include "platform/CodePage.hpp"
#include "platform/MessageBox.hpp"
#include "tests/support/DialogResponder.hpp"

namespace {

using testsupport::CDialogResponder;

std::wstring ModuleNameWithoutExtension() {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

TEST(MessageBoxTest, WarningWithOkCaptionedWithTheExecutableName) {
    EXPECT_EQ(platform::Utf8FromWide(ModuleNameWithoutExtension()), platform::ApplicationName());

    CDialogResponder responder(IDOK);
    // Trail bytes 0x5C in 乗 and 蔦: the text is GBK, not the system's code page.
    const std::wstring text = L"乗蔦 C:\\路径\\a.txt\nOpen File err!";
    EXPECT_EQ(IDOK, platform::AppMessageBox(platform::Utf8FromWide(text)));
    ASSERT_EQ(1u, responder.Seen().size());
    const auto& box = responder.Seen()[0];
    EXPECT_EQ(ModuleNameWithoutExtension(), box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ((std::vector<int>{IDOK}), box.buttons);
    EXPECT_EQ(::LoadIconW(nullptr, IDI_EXCLAMATION), box.icon);
}

TEST(MessageBoxTest, YesNoReturnsTheButtonPressed) {
    for (int answer : {IDYES, IDNO}) {
        CDialogResponder responder(answer);
        EXPECT_EQ(answer, platform::AppMessageBox("Overwrite?", MB_YESNO | MB_ICONSTOP));
        ASSERT_EQ(1u, responder.Seen().size());
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), responder.Seen()[0].buttons);
        EXPECT_EQ(::LoadIconW(nullptr, IDI_HAND), responder.Seen()[0].icon);
        EXPECT_EQ(L"Overwrite?", responder.Seen()[0].text);
    }
}

}  // namespace
