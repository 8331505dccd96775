// ResourcesTest.cpp: the compiled templates, string, icon and version record, read back from the executables.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogTemplate.hpp"
#include "ui/ConvertDlg.hpp"

namespace {

using testsupport::DialogTemplate;
using testsupport::ReadDialogTemplate;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kMultiLineEdit =
    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kPathEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kFramedLabel = SS_CENTER | SS_SUNKEN | WS_BORDER | WS_GROUP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDropDownList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP | WS_TABSTOP;

struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // nullptr: not fixed here
    DWORD style;          // besides WS_CHILD | WS_VISIBLE
    short x, y, cx, cy;
};

// The main window, in creation order. Labels start a group, as every resource compiler's label statements do.
const std::vector<Expected> kMainWindow = {
    {IDC_START, L"Button", L"开始转换", BS_PUSHBUTTON, 306, 77, 49, 14},
    {IDC_MODE_SINGLE, L"Button", L"单文件转换", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 103, 8, 55, 14},
    {IDC_MODE_BATCH, L"Button", L"批文件转换", BS_AUTORADIOBUTTON, 175, 7, 61, 15},
    {IDC_SIMPLIFIED_TEXT, L"Edit", L"", kMultiLineEdit, 7, 144, 158, 122},
    {IDC_TRADITIONAL_TEXT, L"Edit", L"", kMultiLineEdit, 203, 144, 158, 122},
    {IDC_DIRECTION_TO_TRADITIONAL, L"Button", L"简转繁", BS_AUTORADIOBUTTON | WS_GROUP, 103, 63, 52, 10},
    {IDC_DIRECTION_TO_SIMPLIFIED, L"Button", L"繁转简", BS_AUTORADIOBUTTON, 179, 62, 45, 14},
    {IDC_BY_WORDS, L"Button", L"按词语转换", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 232, 62, 64, 14},
    {-1, L"Static", L"地区：", kLabel, 306, 48, 30, 10},
    {IDC_REGION, L"ComboBox", L"", kDropDownList, 306, 60, 49, 80},
    {-1, L"Static", L"输出编码：", kLabel, 222, 112, 42, 10},
    {IDC_OUTPUT_ENCODING, L"ComboBox", L"", kDropDownList, 266, 110, 62, 80},
    {IDC_CONVERT_NAMES, L"Button", L"转换文件名", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 241, 9, 60, 14},
    {-1, L"Static", L"源文件路径：", kLabel, 29, 78, 52, 10},
    {IDC_SOURCE_PATH, L"Edit", L"", kPathEdit, 105, 76, 160, 15},
    {-1, L"Static", L"目的文件路径：", kLabel, 28, 96, 63, 15},
    {IDC_DEST_PATH, L"Edit", L"", kPathEdit, 105, 94, 160, 15},
    {-1, L"Static", L"简繁内容互转", SS_CENTER | WS_GROUP, 127, 109, 91, 11},
    {-1, L"Static", L"简体", kFramedLabel, 41, 129, 23, 12},
    {-1, L"Static", L"繁体", kFramedLabel, 268, 129, 25, 12},
    {IDC_TO_TRADITIONAL, L"Button", L"→", kButton, 171, 175, 27, 13},
    {IDC_TO_SIMPLIFIED, L"Button", L"←", kButton, 171, 200, 27, 13},
    {IDC_BROWSE_SOURCE, L"Button", L"选择", kButton, 268, 78, 32, 13},
    {IDC_BROWSE_DEST, L"Button", L"选择", kButton, 268, 94, 32, 13},
    {IDC_ABOUT, L"Button", L"关于", kButton, 307, 29, 46, 15},
    {IDC_FILTER, L"Edit", L"", kPathEdit, 106, 31, 190, 14},
    {-1, L"Static", L"批转换文件过滤：", kLabel, 30, 33, 70, 12},
    {-1, L"Static", L"[请标注文件尾缀，如：*.asp；多尾缀以“;”分开]", kLabel, 103, 49, 192, 11},
    {-1, L"Static", L"转换方式：", kLabel, 29, 63, 60, 11},
    {IDCLOSE, L"Button", L"关闭", kButton, 306, 9, 47, 16},
    {IDC_STOP, L"Button", L"停止转换", BS_PUSHBUTTON | WS_DISABLED, 306, 94, 49, 14},
    {IDC_PROGRESS, PROGRESS_CLASSW, L"", WS_BORDER, 7, 267, 354, 12},
};

const std::vector<Expected> kAboutBox = {
    {-1, L"Static", nullptr, SS_ICON, 11, 17, 20, 20},
    {-1, L"Static", L"Zendrix 1.0 版", SS_LEFT | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8},
    {-1, L"Static", nullptr, kLabel, 40, 25, 119, 8},
    {IDOK, L"Button", L"确定", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 203, 7, 50, 14},
    {-1, L"Button", L"说明", BS_GROUPBOX, 15, 39, 226, 89},
    {-1, L"Static", nullptr, kLabel, 23, 49, 210, 73},
};

void ExpectItems(const DialogTemplate& dialog, const std::vector<Expected>& expected) {
    ASSERT_EQ(expected.size(), dialog.items.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& want = expected[i];
        const auto& item = dialog.items[i];
        SCOPED_TRACE("control #" + std::to_string(i) + ", ID " + std::to_string(want.id));
        EXPECT_EQ(want.id, item.id);
        EXPECT_EQ(0, _wcsicmp(want.className, item.className.c_str())) << item.className.size();
        if (want.text) {
            EXPECT_EQ(std::wstring(want.text), item.text);
        }
        EXPECT_EQ(kChild | want.style, item.style) << std::hex << item.style;
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(want.x, item.x);
        EXPECT_EQ(want.y, item.y);
        EXPECT_EQ(want.cx, item.cx);
        EXPECT_EQ(want.cy, item.cy);
    }
}

TEST(ResourcesTest, MainWindowTemplate) {
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(IDD_ZENDRIX_DIALOG, dialog));
    // Caption, system menu and minimise box; a fixed frame; no centring style (the window centres itself).
    EXPECT_EQ(
        static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
        dialog.style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), dialog.exStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(368, dialog.cx);
    EXPECT_EQ(281, dialog.cy);
    EXPECT_EQ(L"Oldeno通用繁简转换工具", dialog.caption);
    EXPECT_EQ(L"宋体", dialog.typeface);
    EXPECT_EQ(9, dialog.pointSize);
    ExpectItems(dialog, kMainWindow);
}

// The live window: what Windows made of the template with the dialog font.
TEST(ResourcesTest, LiveMainWindowFollowsTheTemplate) {
    testsupport::CCurrentDirectory inBin(testsupport::ExecutableDirectory());
    CConvertDlg dlg;
    ASSERT_TRUE(testsupport::OpenModeless(dlg));
    HWND window = dlg.Handle();

    std::size_t i = 0;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, kMainWindow.size());
        const Expected& want = kMainWindow[i];
        SCOPED_TRACE("control #" + std::to_string(i) + ", ID " + std::to_string(want.id));
        EXPECT_EQ(static_cast<WORD>(want.id), static_cast<WORD>(::GetDlgCtrlID(child)));
        EXPECT_EQ(0, _wcsicmp(want.className, testsupport::CDialogResponder::ClassOf(child).c_str()));
        const bool list = _wcsicmp(want.className, L"ComboBox") == 0;
        if (_wcsicmp(want.className, L"Edit") != 0 && !list) {
            EXPECT_EQ(std::wstring(want.text), testsupport::CDialogResponder::TextOf(child));
        }
        EXPECT_EQ(want.id != IDC_STOP, ::IsWindowEnabled(child) != FALSE);
        // Windows maps the position and the size each on its own, so a right edge may differ from a mapped
        // one.
        RECT position = {want.x, want.y, want.cx, want.cy};
        ::MapDialogRect(window, &position);
        RECT actual;
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(position.left, actual.left);
        EXPECT_EQ(position.top, actual.top);
        EXPECT_EQ(position.right, actual.right - actual.left);
        // A drop-down list's height in the template includes its list; closed, it is one line high.
        if (list) {
            EXPECT_LT(actual.bottom - actual.top, position.bottom);
        } else {
            EXPECT_EQ(position.bottom, actual.bottom - actual.top);
        }
    }
    EXPECT_EQ(kMainWindow.size(), i);

    // Tab goes through the template's tab stops and, as everywhere in Windows, the checked button of each
    // radio group: checking a radio button gives it the group's tab stop.
    const auto tabOrder = [window] {
        std::vector<int> ids;
        HWND first = ::GetNextDlgTabItem(window, nullptr, FALSE);
        for (HWND item = first; item && ids.size() < 30;) {
            ids.push_back(::GetDlgCtrlID(item));
            item = ::GetNextDlgTabItem(window, item, FALSE);
            if (item == first) break;
        }
        return ids;
    };
    EXPECT_EQ((std::vector<int>{IDC_MODE_SINGLE, IDC_SIMPLIFIED_TEXT, IDC_TRADITIONAL_TEXT,
                                IDC_DIRECTION_TO_TRADITIONAL, IDC_BY_WORDS, IDC_REGION, IDC_OUTPUT_ENCODING,
                                IDC_CONVERT_NAMES, IDC_SOURCE_PATH, IDC_DEST_PATH, IDC_TO_TRADITIONAL,
                                IDC_TO_SIMPLIFIED, IDC_BROWSE_SOURCE, IDC_BROWSE_DEST, IDC_ABOUT, IDC_FILTER,
                                IDCLOSE}),
              tabOrder());
    testsupport::Click(window, IDC_MODE_BATCH);
    testsupport::Click(window, IDC_DIRECTION_TO_SIMPLIFIED);
    EXPECT_EQ((std::vector<int>{IDC_MODE_BATCH, IDC_SIMPLIFIED_TEXT, IDC_TRADITIONAL_TEXT,
                                IDC_DIRECTION_TO_SIMPLIFIED, IDC_BY_WORDS, IDC_REGION, IDC_OUTPUT_ENCODING,
                                IDC_CONVERT_NAMES, IDC_SOURCE_PATH, IDC_DEST_PATH, IDC_TO_TRADITIONAL,
                                IDC_TO_SIMPLIFIED, IDC_BROWSE_SOURCE, IDC_BROWSE_DEST, IDC_ABOUT, IDC_FILTER,
                                IDCLOSE}),
              tabOrder());

    // 368 x 281 dialog units in 9-point 宋体, not resizable, in the task bar, centred on the screen.
    RECT size = {0, 0, 368, 281};
    ::MapDialogRect(window, &size);
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);
    LOGFONTW font = {};
    ASSERT_TRUE(
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(L"宋体", font.lfFaceName);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(-::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ::ReleaseDC(nullptr, screen);

    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    RECT frame;
    ::GetWindowRect(window, &frame);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_NEAR((monitor.rcWork.left + monitor.rcWork.right) / 2, (frame.left + frame.right) / 2, 1);
    EXPECT_NEAR((monitor.rcWork.top + monitor.rcWork.bottom) / 2, (frame.top + frame.bottom) / 2, 1);
}

// The controls added to the window cover none of those it had, nor each other: a closed drop-down list is
// taken as 14 units high, more than its line.
TEST(ResourcesTest, AddedControlsCoverNothing) {
    const auto rectOf = [](const Expected& e) {
        const bool list = std::wstring(e.className) == L"ComboBox";
        return RECT{e.x, e.y, e.x + e.cx, e.y + (list ? 14 : e.cy)};
    };
    const std::size_t first = 8;  // after 按词语转换
    const std::size_t added = 5;
    ASSERT_EQ(IDC_BY_WORDS, kMainWindow[first - 1].id);
    for (std::size_t a = first; a < first + added; ++a) {
        const RECT mine = rectOf(kMainWindow[a]);
        EXPECT_LE(mine.right, 368);
        EXPECT_LE(mine.bottom, 281);
        for (std::size_t b = 0; b < kMainWindow.size(); ++b) {
            if (b == a) continue;
            RECT other = rectOf(kMainWindow[b]);
            RECT both;
            EXPECT_FALSE(::IntersectRect(&both, &mine, &other)) << "control #" << a << " covers #" << b;
        }
    }
}

TEST(ResourcesTest, AboutBoxTemplate) {
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(IDD_ABOUTBOX, dialog));
    EXPECT_EQ(static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(260, dialog.cx);
    EXPECT_EQ(135, dialog.cy);
    EXPECT_EQ(L"关于 Zendrix", dialog.caption);
    EXPECT_EQ(L"宋体", dialog.typeface);
    EXPECT_EQ(9, dialog.pointSize);
    ExpectItems(dialog, kAboutBox);
    ASSERT_EQ(kAboutBox.size(), dialog.items.size());
    EXPECT_EQ(IDR_MAINFRAME, dialog.items[0].textOrdinal);
    // The rights line and the notes are ours: they name the product and the table file it reads.
    EXPECT_NE(std::wstring::npos, dialog.items[2].text.find(L"Zendrix"));
    EXPECT_NE(std::wstring::npos, dialog.items[5].text.find(L"Runemap.dll"));
    EXPECT_NE(std::wstring::npos, dialog.items[5].text.find(L"繁体"));
}

TEST(ResourcesTest, SystemMenuString) {
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(length, 0);
    EXPECT_EQ(L"关于 Zendrix(&A)...", std::wstring(text, static_cast<std::size_t>(length)));
}

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ResourcesTest, IconHasSmallAndLargeImages) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    WORD count = 0;
    std::memcpy(&count, data + 4, sizeof count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        IconDirEntry entry;
        std::memcpy(&entry, data + 6 + i * sizeof(IconDirEntry), sizeof entry);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_NE(nullptr, ::FindResourceW(module, MAKEINTRESOURCEW(entry.id), RT_ICON));
        sizes.push_back(entry.width);
    }
    EXPECT_EQ((std::vector<int>{16, 32}), sizes);
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_NE(nullptr, icon) << size;
        if (icon) ::DestroyIcon(icon);
    }
}

// The manifest as Windows reads it from the program: resource type 24, ID 1.
TEST(ResourcesTest, ProgramManifestAsksForPerMonitorDpiFallingBackToTheSystemDpiAndForLongPaths) {
    const std::wstring exe = testsupport::ExecutableDirectory() + L"\\Zendrix.exe";
    HMODULE module =
        ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, resource) << "no manifest";
    const std::string xml(static_cast<const char*>(::LockResource(::LoadResource(module, resource))),
                          ::SizeofResource(module, resource));
    ::FreeLibrary(module);

    // Both in the application's settings, each in its own namespace: Vista to Windows 10 1511 read the first,
    // later systems the first value of the second that they know.
    const std::size_t settings =
        xml.find("<windowsSettings>", xml.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"));
    const std::size_t end = xml.find("</windowsSettings>");
    const std::size_t aware =
        xml.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>");
    const std::size_t awareness = xml.find(
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
        "System</dpiAwareness>");
    const std::size_t longPaths = xml.find(
        "<longPathAware "
        "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>");
    ASSERT_NE(std::string::npos, settings);
    EXPECT_TRUE(aware > settings && aware < end) << xml;
    EXPECT_TRUE(awareness > settings && awareness < end) << xml;
    EXPECT_TRUE(longPaths > settings && longPaths < end) << xml;
    // Still common controls 6 and no elevation.
    EXPECT_NE(std::string::npos, xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\""));
}

std::wstring VersionString(const std::vector<BYTE>& info, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    std::wstring path = L"\\StringFileInfo\\080404b0\\" + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"(missing)";
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ResourcesTest, ProgramVersionRecord) {
    const std::wstring exe = testsupport::ExecutableDirectory() + L"\\Zendrix.exe";
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u) << "no version record in Zendrix.exe";
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0804, translation[0]);  // Chinese (PRC)
    EXPECT_EQ(1200, translation[1]);

    EXPECT_EQ(L"Zendrix", VersionString(info, L"ProductName"));
    EXPECT_EQ(L"1.0.0.1", VersionString(info, L"ProductVersion"));
    EXPECT_EQ(L"1.0.0.1", VersionString(info, L"FileVersion"));
    EXPECT_EQ(L"Zendrix.exe", VersionString(info, L"OriginalFilename"));
}

}  // namespace
