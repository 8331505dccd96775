// ConvertDlgTest.cpp: the main window built from its real template, driven through window messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "ConvertDlg.hpp"
#include "platform/CodePage.hpp"
#include "platform/MessageBox.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using platform::Utf8FromWide;
using testsupport::CCurrentDirectory;
using testsupport::CDialogResponder;
using testsupport::Click;
using testsupport::IsChecked;
using testsupport::OpenModeless;
using testsupport::SeenDialog;
using testsupport::SetText;
using testsupport::Text;

const wchar_t kDefaultFilter[] = L"*.txt;*.asp;*.php;*.jsp;*.html;*.asa;*.jsa;*.vbs;*.cpp;*.h;*.pas;*.dfm";
const wchar_t kTitle[] = L"Oldeno通用繁简转换工具";

class ConvertDlgTest : public ::testing::Test {
  protected:
    ConvertDlgTest() : m_inBin(testsupport::ExecutableDirectory()) {}
    CCurrentDirectory m_inBin;  // where the build puts Runemap.dll
};

HICON ProgramIcon() { return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)); }

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

TEST_F(ConvertDlgTest, StartsWithTheDefaults) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    EXPECT_EQ(kDefaultFilter, Text(window, IDC_FILTER));
    EXPECT_EQ(Utf8FromWide(kDefaultFilter), dlg.m_strFilter);
    EXPECT_TRUE(IsChecked(window, IDC_MODE_SINGLE));
    EXPECT_FALSE(IsChecked(window, IDC_MODE_BATCH));
    EXPECT_TRUE(IsChecked(window, IDC_DIRECTION_TO_TRADITIONAL));
    EXPECT_FALSE(IsChecked(window, IDC_DIRECTION_TO_SIMPLIFIED));
    for (int box : {IDC_SOURCE_PATH, IDC_DEST_PATH, IDC_SIMPLIFIED_TEXT, IDC_TRADITIONAL_TEXT})
        EXPECT_EQ(L"", Text(window, box)) << box;
    EXPECT_EQ(kTitle, CDialogResponder::TextOf(window));

    HWND progress = dlg.Item(IDC_PROGRESS);
    EXPECT_EQ(0, ::SendMessageW(progress, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(1000, ::SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(0, ::SendMessageW(progress, PBM_GETPOS, 0, 0));
    EXPECT_TRUE(::IsWindowEnabled(dlg.Item(IDC_START)));
    EXPECT_FALSE(::IsWindowEnabled(dlg.Item(IDC_STOP)));

    // The program's icon for the title bar, the task bar and a drag while minimised.
    HICON icon = ProgramIcon();
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0)));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0)));

    // The About item ends the system menu, after a separator.
    HMENU menu = ::GetSystemMenu(window, FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), ::GetMenuItemID(menu, count - 1));
    EXPECT_EQ(L"关于 Zendrix(&A)...", MenuText(menu, count - 1));
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);
}

TEST_F(ConvertDlgTest, ArrowsConvertWhateverTheDirectionRadiosSay) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    // "→" with "繁转简" chosen still converts to Traditional; line breaks are part of the one text.
    Click(window, IDC_DIRECTION_TO_SIMPLIFIED);
    SetText(window, IDC_SIMPLIFIED_TEXT, L"简体中文\r\n后来的发展");
    Click(window, IDC_TO_TRADITIONAL);
    EXPECT_EQ(L"簡體中文\r\n後來的發展", Text(window, IDC_TRADITIONAL_TEXT));
    EXPECT_EQ(L"简体中文\r\n后来的发展", Text(window, IDC_SIMPLIFIED_TEXT));
    EXPECT_EQ(Utf8FromWide(L"簡體中文\r\n後來的發展"), dlg.m_strTraditional);
    EXPECT_TRUE(IsChecked(window, IDC_DIRECTION_TO_SIMPLIFIED));

    // "←" with "简转繁" chosen still converts to Simplified.
    Click(window, IDC_DIRECTION_TO_TRADITIONAL);
    SetText(window, IDC_TRADITIONAL_TEXT, L"轉換繁體");
    Click(window, IDC_TO_SIMPLIFIED);
    EXPECT_EQ(L"转换繁体", Text(window, IDC_SIMPLIFIED_TEXT));
    EXPECT_EQ(L"轉換繁體", Text(window, IDC_TRADITIONAL_TEXT));
}

TEST_F(ConvertDlgTest, ArrowFromAnEmptyBoxLeavesTheOtherBoxAlone) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    SetText(window, IDC_TRADITIONAL_TEXT, L"留着");
    Click(window, IDC_TO_TRADITIONAL);
    EXPECT_EQ(L"留着", Text(window, IDC_TRADITIONAL_TEXT));

    SetText(window, IDC_SIMPLIFIED_TEXT, L"也留着");
    SetText(window, IDC_TRADITIONAL_TEXT, L"");
    Click(window, IDC_TO_SIMPLIFIED);
    EXPECT_EQ(L"也留着", Text(window, IDC_SIMPLIFIED_TEXT));
}

TEST_F(ConvertDlgTest, TextOutsideGbkSurvivesInTheBoxItWasTypedIn) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    // Hangul, emoji and rare CJK have no GBK code: they pass the conversion unchanged, both ways.
    const std::wstring typed = L"简한😀体\U00020000发";
    SetText(window, IDC_SIMPLIFIED_TEXT, typed);
    Click(window, IDC_TO_TRADITIONAL);
    EXPECT_EQ(L"簡한😀體\U00020000發", Text(window, IDC_TRADITIONAL_TEXT));
    EXPECT_EQ(typed, Text(window, IDC_SIMPLIFIED_TEXT));
    SetText(window, IDC_SIMPLIFIED_TEXT, L"");
    Click(window, IDC_TO_SIMPLIFIED);
    EXPECT_EQ(L"简한😀体\U00020000发", Text(window, IDC_SIMPLIFIED_TEXT));
}

TEST_F(ConvertDlgTest, ChangingTheModeEmptiesBothPathBoxesAndOnlyThen) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    SetText(window, IDC_SOURCE_PATH, L"C:\\源\\a.txt");
    SetText(window, IDC_DEST_PATH, L"C:\\目的\\b.txt");
    SetText(window, IDC_FILTER, L"*.txt");
    SetText(window, IDC_SIMPLIFIED_TEXT, L"简体");
    Click(window, IDC_MODE_SINGLE);  // already the mode
    EXPECT_EQ(L"C:\\源\\a.txt", Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"C:\\目的\\b.txt", Text(window, IDC_DEST_PATH));

    Click(window, IDC_MODE_BATCH);
    EXPECT_TRUE(IsChecked(window, IDC_MODE_BATCH));
    EXPECT_EQ(1, dlg.m_nMode);
    EXPECT_EQ(L"", Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));
    EXPECT_EQ("", dlg.m_strSource);
    EXPECT_EQ("", dlg.m_strDest);
    EXPECT_EQ(L"*.txt", Text(window, IDC_FILTER));
    EXPECT_EQ(L"简体", Text(window, IDC_SIMPLIFIED_TEXT));

    SetText(window, IDC_SOURCE_PATH, L"D:\\src");
    SetText(window, IDC_DEST_PATH, L"D:\\out");
    Click(window, IDC_MODE_BATCH);  // the same mode again
    EXPECT_EQ(L"D:\\src", Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"D:\\out", Text(window, IDC_DEST_PATH));

    Click(window, IDC_MODE_SINGLE);
    EXPECT_EQ(0, dlg.m_nMode);
    EXPECT_EQ(L"", Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));
    EXPECT_TRUE(IsChecked(window, IDC_DIRECTION_TO_TRADITIONAL));
}

TEST_F(ConvertDlgTest, EditsAndChoicesAreTakenAsTheyHappen) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    testsupport::TypeText(window, IDC_FILTER, L"*.htm;*.乗");
    EXPECT_EQ(Utf8FromWide(L"*.htm;*.乗"), dlg.m_strFilter);
    EXPECT_EQ(dlg.m_strFilter, dlg.Filter());
    testsupport::TypeText(window, IDC_SOURCE_PATH, L"C:\\蔦\\in.txt");
    EXPECT_EQ(Utf8FromWide(L"C:\\蔦\\in.txt"), dlg.m_strSource);
    testsupport::TypeText(window, IDC_DEST_PATH, L"out.txt");
    EXPECT_EQ("out.txt", dlg.m_strDest);
    testsupport::TypeText(window, IDC_SIMPLIFIED_TEXT, L"左\r\n边");
    EXPECT_EQ(Utf8FromWide(L"左\r\n边"), dlg.m_strSimplified);
    testsupport::TypeText(window, IDC_TRADITIONAL_TEXT, L"右邊");
    EXPECT_EQ(Utf8FromWide(L"右邊"), dlg.m_strTraditional);
    // A text change takes every value, the radio groups included.
    ::SendMessageW(dlg.Item(IDC_DIRECTION_TO_TRADITIONAL), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(dlg.Item(IDC_DIRECTION_TO_SIMPLIFIED), BM_SETCHECK, BST_CHECKED, 0);
    testsupport::TypeText(window, IDC_DEST_PATH, L"out2.txt");
    EXPECT_EQ(1, dlg.m_nDirection);
}

TEST_F(ConvertDlgTest, MissingTableFileIsReportedAndEndsTheWindow) {
    testsupport::TempDir empty;
    CCurrentDirectory inEmpty(empty.path().wstring());
    CConvertDlg dlg;
    platform::SetMainDialog(&dlg);
    bool mainVisible = true;
    std::vector<SeenDialog> boxes;
    CDialogResponder responder([&](const SeenDialog& seen) {
        if (seen.window == dlg.Handle()) return 0;
        mainVisible = ::IsWindowVisible(dlg.Handle()) != FALSE;
        boxes.push_back(seen);
        return IDOK;
    });
    ASSERT_TRUE(responder.Installed());

    EXPECT_EQ(IDCANCEL, dlg.RunModal());
    ASSERT_EQ(1u, boxes.size());
    const SeenDialog& box = boxes[0];
    EXPECT_EQ(L"Open File err!", box.text);
    EXPECT_EQ(platform::WideFromUtf8(platform::ApplicationName()), box.caption);
    EXPECT_EQ(::LoadIconW(nullptr, IDI_EXCLAMATION), box.icon);
    EXPECT_EQ((std::vector<int>{IDOK}), box.buttons);
    EXPECT_NE(nullptr, box.owner);
    EXPECT_FALSE(mainVisible);  // the window never became usable
}

TEST_F(ConvertDlgTest, ForeignTableFileEndsTheWindowSilently) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("Runemap.dll"), "\xBC\xF2\r\nSome other table\r\n\xBA\x86\r\n");
    CCurrentDirectory inDir(dir.path().wstring());
    CConvertDlg dlg;
    platform::SetMainDialog(&dlg);
    int boxes = 0;
    CDialogResponder responder([&](const SeenDialog& seen) {
        if (seen.window == dlg.Handle()) return 0;
        ++boxes;
        return IDOK;
    });

    EXPECT_EQ(IDCANCEL, dlg.RunModal());
    EXPECT_EQ(0, boxes);
}

int IconWidth(HICON icon) {
    ICONINFO info = {};
    BITMAP bitmap = {};
    if (!::GetIconInfo(icon, &info)) return 0;
    ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

TEST_F(ConvertDlgTest, RunsPerMonitorAwareAndRemakesItsIconsForANewDpi) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();

    // This test program carries the program's manifest. Wine 8 knows per-monitor awareness but not its second
    // version, which Windows 10 1703 and later give.
    using Context = DPI_AWARENESS_CONTEXT;
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto windowContext = reinterpret_cast<Context(WINAPI*)(HWND)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<DPI_AWARENESS(WINAPI*)(Context)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(windowContext && awareness);
    EXPECT_EQ(DPI_AWARENESS_PER_MONITOR_AWARE, awareness(windowContext(window)));

    // The task bar's (large) and the title bar's (small) icons, as big as Windows makes them at each DPI.
    for (const auto& [dpi, largeSize, smallSize] : {std::tuple{144, 48, 24}, {192, 64, 32}, {96, 32, 16}}) {
        RECT suggested;
        ::GetWindowRect(window, &suggested);
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(largeSize, IconWidth(icon)) << dpi;
        EXPECT_EQ(smallSize,
                  IconWidth(reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0))));
        EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0)));
    }
}

void ExpectAboutBox(const SeenDialog& about, HWND main) {
    EXPECT_EQ(L"关于 Zendrix", about.caption);
    EXPECT_EQ(main, about.owner);
    EXPECT_FALSE(about.ownerEnabled);
    EXPECT_EQ((std::vector<int>{IDOK}), about.buttons);
    ASSERT_EQ(4u, about.statics.size());
    EXPECT_EQ(L"Zendrix 1.0 版", about.statics[0]);
    EXPECT_EQ(L"说明", about.statics[2]);
    EXPECT_NE(nullptr, about.icon);
}

TEST_F(ConvertDlgTest, AboutBoxOpensFromTheButtonAndTheSystemMenu) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();
    CDialogResponder responder(IDOK);

    Click(window, IDC_ABOUT);
    ASSERT_EQ(1u, responder.Seen().size());
    ExpectAboutBox(responder.Seen()[0], window);
    EXPECT_TRUE(::IsWindowEnabled(window));

    // Windows keeps the low four bits of a system command for itself.
    ::SendMessageW(window, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
    ASSERT_EQ(2u, responder.Seen().size());
    ExpectAboutBox(responder.Seen()[1], window);
    EXPECT_FALSE(::IsWindow(responder.Seen()[0].window));
    EXPECT_FALSE(dlg.HasEnded());
}

thread_local std::function<void()> t_pending;

void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    std::function<void()> pending;
    pending.swap(t_pending);
    if (pending) pending();
}

// Runs the window modally as the program does; `act` drives it from inside its loop, once it has come up
// (a thread timer fires only when no other message waits).
INT_PTR RunModal(CConvertDlg& dlg, const std::function<void(HWND)>& act) {
    platform::SetMainDialog(&dlg);
    CDialogResponder responder([&](const SeenDialog& seen) {
        if (seen.window == dlg.Handle()) {
            t_pending = [&act, window = seen.window] { act(window); };
            ::SetTimer(nullptr, 0, 10, RunPending);
        }
        return 0;
    });
    return dlg.RunModal();
}

TEST_F(ConvertDlgTest, CloseButtonEscapeAndCloseBoxCancel) {
    {
        CConvertDlg dlg;
        EXPECT_EQ(IDCANCEL,
                  RunModal(dlg, [](HWND w) { ::PostMessageW(::GetDlgItem(w, IDCLOSE), BM_CLICK, 0, 0); }));
    }
    {
        CConvertDlg dlg;
        EXPECT_EQ(IDCANCEL,
                  RunModal(dlg, [](HWND w) { testsupport::PostKey(w, IDC_SOURCE_PATH, VK_ESCAPE); }));
    }
    {
        CConvertDlg dlg;
        EXPECT_EQ(IDCANCEL, RunModal(dlg, [](HWND w) { ::PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }));
    }
}

TEST_F(ConvertDlgTest, EnterInAPathBoxAcceptsAndTakesTheValues) {
    CConvertDlg dlg;
    int focusId = 0;
    const INT_PTR result = RunModal(dlg, [&](HWND w) {
        focusId = ::GetDlgCtrlID(::GetFocus());
        ::SendMessageW(::GetDlgItem(w, IDC_MODE_BATCH), BM_SETCHECK, BST_CHECKED, 0);
        ::SendMessageW(::GetDlgItem(w, IDC_MODE_SINGLE), BM_SETCHECK, BST_UNCHECKED, 0);
        ::SetDlgItemTextW(w, IDC_FILTER, L"*.jsp");
        testsupport::PostKey(w, IDC_FILTER, VK_RETURN);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("*.jsp", dlg.m_strFilter);
    EXPECT_EQ(1, dlg.m_nMode);
    EXPECT_EQ(IDC_MODE_SINGLE, focusId);  // the first tab stop had the focus
}

TEST_F(ConvertDlgTest, ConversionSideOfTheWindow) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();
    IConvertHost& host = dlg;

    // The message box itself is tested with the platform; here: owned by this window, answers mapped.
    {
        CDialogResponder responder(IDOK);
        host.ShowMessage("File path is same!");
        ASSERT_EQ(1u, responder.Seen().size());
        EXPECT_EQ(L"File path is same!", responder.Seen()[0].text);
        EXPECT_EQ(window, responder.Seen()[0].owner);
    }
    for (int answer : {IDYES, IDNO}) {
        CDialogResponder responder(answer);
        EXPECT_EQ(answer == IDYES, host.AskYesNo("Overwrite?"));
        ASSERT_EQ(1u, responder.Seen().size());
        EXPECT_EQ(::LoadIconW(nullptr, IDI_HAND), responder.Seen()[0].icon);
    }

    host.SetProgress(250);
    EXPECT_EQ(250, ::SendMessageW(dlg.Item(IDC_PROGRESS), PBM_GETPOS, 0, 0));
    host.SetProgress(0);
    EXPECT_EQ(0, ::SendMessageW(dlg.Item(IDC_PROGRESS), PBM_GETPOS, 0, 0));
    host.EnableStart(false);
    host.EnableStop(true);
    EXPECT_FALSE(::IsWindowEnabled(dlg.Item(IDC_START)));
    EXPECT_TRUE(::IsWindowEnabled(dlg.Item(IDC_STOP)));
}

}  // namespace

namespace {

// "按词语转换": off at start; on, the arrows convert by words; a phrase file that is missing or damaged
// leaves it disabled and everything else as without it.
TEST_F(ConvertDlgTest, ByWordsBoxTurnsConversionByWordsOnAndIsDisabledWithoutItsFile) {
    {
        CConvertDlg dlg;
        ASSERT_TRUE(OpenModeless(dlg));
        HWND window = dlg.Handle();
        EXPECT_FALSE(IsChecked(window, IDC_BY_WORDS));
        EXPECT_TRUE(::IsWindowEnabled(dlg.Item(IDC_BY_WORDS)));
        SetText(window, IDC_SIMPLIFIED_TEXT, L"头发很复杂😀");
        Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(L"頭發很復雜😀", Text(window, IDC_TRADITIONAL_TEXT));  // a character at a time
        Click(window, IDC_BY_WORDS);
        EXPECT_TRUE(dlg.m_bByWords);
        Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(L"頭髮很複雜😀", Text(window, IDC_TRADITIONAL_TEXT));
        SetText(window, IDC_SIMPLIFIED_TEXT, L"");
        Click(window, IDC_TO_SIMPLIFIED);
        EXPECT_EQ(L"头发很复杂😀", Text(window, IDC_SIMPLIFIED_TEXT));
    }
    // The table alone in a folder, then with a broken phrase file beside it.
    testsupport::TempDir folder;
    std::filesystem::copy_file(testsupport::ExecutableDirectory() + L"\\Runemap.dll",
                               folder.path() / "Runemap.dll");
    for (const bool broken : {false, true}) {
        if (broken)
            testsupport::WriteBytes((folder.path() / "Runewords.txt").string(), "not a phrase file\r\n");
        CCurrentDirectory inFolder(folder.path().wstring());
        CConvertDlg dlg;
        ASSERT_TRUE(OpenModeless(dlg)) << broken;
        HWND window = dlg.Handle();
        EXPECT_FALSE(::IsWindowEnabled(dlg.Item(IDC_BY_WORDS))) << broken;
        SetText(window, IDC_SIMPLIFIED_TEXT, L"头发");
        Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(L"頭發", Text(window, IDC_TRADITIONAL_TEXT)) << broken;
    }
}

// "地区": 通用 at start; a region converts as Taiwan or Hong Kong write, by words, so the box shows that,
// checked and disabled, and is itself again with 通用.
TEST_F(ConvertDlgTest, RegionsConvertAsTheirReadersWriteAndTheWordsBoxFollows) {
    CConvertDlg dlg;
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();
    EXPECT_EQ((std::vector<std::wstring>{L"通用", L"台湾", L"台湾用词", L"香港", L"香港用词"}),
              testsupport::Items(window, IDC_REGION));
    EXPECT_EQ(0, ::SendMessageW(dlg.Item(IDC_REGION), CB_GETCURSEL, 0, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"与原文相同", L"GBK", L"Big5", L"UTF-8", L"UTF-16"}),
              testsupport::Items(window, IDC_OUTPUT_ENCODING));
    EXPECT_EQ(0, ::SendMessageW(dlg.Item(IDC_OUTPUT_ENCODING), CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(IsChecked(window, IDC_CONVERT_NAMES));

    SetText(window, IDC_SIMPLIFIED_TEXT, L"鼠标和软件为了");
    const std::pair<int, const wchar_t*> regions[] = {
        {0, L"鼠標和軟件爲了"}, {1, L"鼠標和軟件為了"}, {2, L"滑鼠和軟體為了"}, {3, L"鼠標和軟件為了"}};
    for (const auto& [region, traditional] : regions) {
        testsupport::Choose(window, IDC_REGION, region);
        EXPECT_EQ(region != 0, IsChecked(window, IDC_BY_WORDS)) << region;
        EXPECT_EQ(region == 0, ::IsWindowEnabled(dlg.Item(IDC_BY_WORDS)) != FALSE) << region;
        Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(traditional, Text(window, IDC_TRADITIONAL_TEXT)) << region;
    }
    // Back from Taiwan's words to Simplified, and 通用 gives the box back its own state.
    testsupport::Choose(window, IDC_REGION, 2);
    SetText(window, IDC_SIMPLIFIED_TEXT, L"");
    Click(window, IDC_TO_SIMPLIFIED);
    EXPECT_EQ(L"鼠标和软件为了", Text(window, IDC_SIMPLIFIED_TEXT));
    testsupport::Choose(window, IDC_REGION, 0);
    EXPECT_FALSE(IsChecked(window, IDC_BY_WORDS));
    EXPECT_FALSE(dlg.m_bByWords);
}

// Runewords-user.txt beside the table: its pairs win in the arrows; a bad line is said once, and the window
// works without the file.
// The table and the phrase file in a folder of their own, for a window started there.
void CopyDataFiles(const std::filesystem::path& folder) {
    for (const wchar_t* name : {L"Runemap.dll", L"Runewords.txt"}) {
        std::filesystem::copy_file(testsupport::ExecutableDirectory() + L"\\" + name, folder / name);
    }
}

// Answers every message box but the window itself with OK, keeping their texts.
std::function<int(const SeenDialog&)> KeepMessages(const CConvertDlg& dlg, std::vector<std::wstring>& texts) {
    return [&dlg, &texts](const SeenDialog& seen) {
        if (seen.window == dlg.Handle()) return 0;
        texts.push_back(seen.text);
        return IDOK;
    };
}

TEST_F(ConvertDlgTest, TheUsersPairsFileIsReadAtStartAndABadOneIsNamedOnce) {
    testsupport::TempDir folder;
    CopyDataFiles(folder.path());
    CCurrentDirectory inFolder(folder.path().wstring());
    for (const bool bad : {false, true}) {
        testsupport::WriteBytes((folder.path() / "Runewords-user.txt").string(),
                                bad ? "# mine\n\xe5\xa4\xb4\xe5\x8f\x91\n"
                                    : "\xe5\xa4\xb4\xe5\x8f\x91\t\xe7\xa7\x80\xe9\xab\xae\n");
        std::vector<std::wstring> texts;
        CConvertDlg dlg;
        CDialogResponder responder(KeepMessages(dlg, texts));
        ASSERT_TRUE(OpenModeless(dlg)) << bad;
        HWND window = dlg.Handle();
        SetText(window, IDC_SIMPLIFIED_TEXT, L"头发");
        Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(bad ? L"頭發" : L"秀髮", Text(window, IDC_TRADITIONAL_TEXT)) << bad;
        ASSERT_EQ(bad ? 1u : 0u, texts.size());
        if (bad) {
            EXPECT_NE(std::wstring::npos, texts[0].find(L"Runewords-user.txt, line 2")) << texts[0];
        }
    }
}

// "转换文件名" through the window: a batch names each output by the conversion of its input's name; a name
// whose conversion Windows would refuse (here through the user's pair 汉 -> ":x") keeps its own, and the end
// of the batch says which.
TEST_F(ConvertDlgTest, TheConvertNamesBoxNamesABatchsOutputsAndListsTheNamesItKept) {
    namespace fs = std::filesystem;
    testsupport::TempDir folder;
    CopyDataFiles(folder.path());
    testsupport::WriteBytes((folder.path() / "Runewords-user.txt").string(), "\xe6\xb1\x89\t:x\n");
    CCurrentDirectory inFolder(folder.path().wstring());
    fs::create_directories(folder.path() / "src");
    std::ofstream(folder.path() / "src" / L"简体说明.txt", std::ios::binary) << "\xbc\xf2\xcc\xe5\n";
    std::ofstream(folder.path() / "src" / L"汉.txt", std::ios::binary) << "abc\n";
    std::vector<std::wstring> texts;
    CConvertDlg dlg;
    CDialogResponder responder(KeepMessages(dlg, texts));
    ASSERT_TRUE(OpenModeless(dlg));
    HWND window = dlg.Handle();
    Click(window, IDC_MODE_BATCH);
    Click(window, IDC_CONVERT_NAMES);
    SetText(window, IDC_SOURCE_PATH, (folder.path() / "src").wstring());
    SetText(window, IDC_DEST_PATH, (folder.path() / "out").wstring());
    Click(window, IDC_START);
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder.path() / "out"))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"汉.txt", L"簡體說明.txt"}), names);
    std::ifstream converted(folder.path() / "out" / L"簡體說明.txt", std::ios::binary);
    EXPECT_EQ("\xba\x86\xf3\x77\r\n", std::string(std::istreambuf_iterator<char>(converted), {}));
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(0u, texts[0].find(L"These files kept their own names")) << texts[0];
    EXPECT_NE(std::wstring::npos, texts[0].find(L"\\汉.txt")) << texts[0];
}

}  // namespace
