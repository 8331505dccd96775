// PathPickerTest.cpp: the folder chooser and the two "选择" buttons, through the real common dialogs.
//
// A picker runs modally inside the click or the call that opens it. The test queues steps that thread timers
// run inside that modal loop, one at a time, once the dialog is up and the step before has been handled.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ConvertDlg.hpp"
#include "PathDlg.hpp"
#include "platform/CodePage.hpp"
#include "platform/FileSystem.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using platform::Utf8FromWide;
using testsupport::CCurrentDirectory;
using testsupport::CDialogResponder;
using testsupport::Click;
using testsupport::OpenModeless;
using testsupport::SetText;
using testsupport::Text;

const wchar_t kChooserTitle[] = L"选择路径";
const wchar_t kOpenTitle[] = L"Open";

using Step = std::function<void(HWND dialog)>;

struct Driver {
    std::wstring title;
    std::deque<Step> steps;
    int waits = 0;
};
thread_local Driver* t_driver = nullptr;

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

HWND FindDialog(const std::wstring& title) {
    struct Search {
        const std::wstring* title;
        HWND found;
    } search{&title, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (CDialogResponder::ClassOf(window) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
            if (CDialogResponder::TextOf(window) != *s->title) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    Driver* driver = t_driver;
    if (!driver) return;
    HWND dialog = FindDialog(driver->title);
    if (driver->steps.empty()) {
        // The last step should have ended the dialog; one left open would hang the test.
        if (!dialog) return;
        if (++driver->waits < 100) {
            ::SetTimer(nullptr, 0, 20, RunNextStep);
            return;
        }
        ADD_FAILURE() << "the dialog stayed open";
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!dialog) {
        // Not up yet; one that never comes leaves its steps unrun, which the test reports.
        if (++driver->waits < 200) ::SetTimer(nullptr, 0, 20, RunNextStep);
        return;
    }
    driver->waits = 0;
    const Step step = driver->steps.front();
    driver->steps.pop_front();
    step(dialog);
    ::SetTimer(nullptr, 0, 20, RunNextStep);
}

// Runs `open`, which brings up the common dialog titled `title` modally, and the steps inside its loop. The
// last step must end the dialog.
void Drive(const std::wstring& title, std::vector<Step> steps, const std::function<void()>& open) {
    Driver driver{title, std::deque<Step>(steps.begin(), steps.end())};
    t_driver = &driver;
    ::SetTimer(nullptr, 0, 20, RunNextStep);
    open();
    t_driver = nullptr;
    EXPECT_TRUE(driver.steps.empty()) << "the dialog did not come up";
}

HWND FileNameBox(HWND dialog) {
    HWND edit = ::GetDlgItem(dialog, platform::kFileNameEdit);
    return edit ? edit : ::GetDlgItem(dialog, platform::kFileNameCombo);
}

std::wstring FileNameText(HWND dialog) { return CDialogResponder::TextOf(FileNameBox(dialog)); }

HWND FileList(HWND dialog) { return ::GetDlgItem(::GetDlgItem(dialog, platform::kShellView), 1); }

std::wstring ItemText(HWND list, int index) {
    wchar_t text[MAX_PATH] = {};
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> ListedNames(HWND dialog) {
    HWND list = FileList(dialog);
    std::vector<std::wstring> names;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) names.push_back(ItemText(list, i));
    return names;
}

// Selects or deselects one item, as a Ctrl+click does; index -1 stands for every item. Only the selection
// state changes: under Wine a change of the focus as well notifies the dialog before the selection changes.
// Wine does not notify when the last selected item is deselected.
void SetSelected(HWND dialog, int index, bool selected) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    ::SendMessageW(FileList(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
}

int IndexOf(HWND dialog, const std::wstring& name) {
    const std::vector<std::wstring> names = ListedNames(dialog);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    ADD_FAILURE() << testing::PrintToString(name) << " is not listed";
    return -2;
}

// A click on an item, which ends any other selection, or a Ctrl+click, which adds it.
void Select(HWND dialog, const std::wstring& name, bool add = false) {
    if (!add) SetSelected(dialog, -1, false);
    SetSelected(dialog, IndexOf(dialog, name), true);
}

// Types into the name box and presses Enter: a folder is shown, a file name chosen.
void TypeAndEnter(HWND dialog, const std::wstring& path) {
    ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

void Press(HWND dialog, int id) { CDialogResponder::Press(dialog, id); }

std::wstring CurrentDirectory() { return platform::WideFromUtf8(platform::CurrentDirectory()); }

// A folder with three subfolders and two files; the current directory is restored after each test.
class PathPickerTest : public ::testing::Test {
  protected:
    PathPickerTest() : m_dir(), m_root(m_dir.path().wstring()), m_inRoot(m_root) {
        for (const wchar_t* name : {L"alpha", L"beta", L"资料"})
            ::CreateDirectoryW(Path(name).c_str(), nullptr);
        testsupport::WriteBytes(m_dir.File("a.txt"), "text");
        testsupport::WriteBytes(m_dir.File("b.dat"), "data");
    }
    std::wstring Path(const std::wstring& name) const { return m_root + L"\\" + name; }

    testsupport::TempDir m_dir;
    std::wstring m_root;
    CCurrentDirectory m_inRoot;  // declared after the folder: it is left before the folder goes
};

TEST_F(PathPickerTest, ChooserLooksLikeOne) {
    CPathDlg chooser(false, "", "", 0x206, "aaaaa.aaaabbbb");
    INT_PTR result = 0;
    Drive(
        kChooserTitle,
        {[&](HWND dialog) {
             EXPECT_EQ(chooser.DialogWindow(), dialog);
             EXPECT_EQ(L"确定", CDialogResponder::TextOf(::GetDlgItem(dialog, IDCANCEL)));
             EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, IDCANCEL)));
             EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDOK)));
             EXPECT_FALSE(::IsWindowEnabled(FileNameBox(dialog)));
             EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, platform::kFileTypeList)));
             EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, platform::kFileTypeLabel)));
             EXPECT_EQ(L"路径名：", CDialogResponder::TextOf(::GetDlgItem(dialog, platform::kFileNameLabel)));
             EXPECT_EQ(L"当前路径：", CDialogResponder::TextOf(::GetDlgItem(dialog, platform::kLookInLabel)));

             // Moved up beside the name box: its top is 25 pixels (at 96 DPI) above the box's, counted from
             // the window's corner, which is the title bar's height above the client area's.
             RECT window, box, button;
             ::GetWindowRect(dialog, &window);
             ::GetWindowRect(FileNameBox(dialog), &box);
             ::GetWindowRect(::GetDlgItem(dialog, IDCANCEL), &button);
             ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
             EXPECT_EQ(box.top - window.top - ::MulDiv(25, ScreenDpi(), 96), button.top);
             ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
             // On the name box's row at every DPI.
             EXPECT_LT(std::abs(button.top - box.top), (button.bottom - button.top) / 2);
             RECT ok;
             ::GetWindowRect(::GetDlgItem(dialog, IDOK), &ok);
             EXPECT_EQ(ok.right - ok.left, button.right - button.left);
             EXPECT_EQ(ok.bottom - ok.top, button.bottom - button.top);

             // Folders are listed, and files beside them: the filter names no type.
             TypeAndEnter(dialog, m_root);
             EXPECT_EQ((std::vector<std::wstring>{L"资料", L"alpha", L"beta", L"a.txt", L"b.dat"}),
                       ListedNames(dialog));
         },
         // Escape with nothing selected since the dialog opened.
         [](HWND dialog) { testsupport::PostKey(dialog, IDCANCEL, VK_ESCAPE); }},
        [&] { result = chooser.RunModal(); });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("", chooser.m_strPath);
}

TEST_F(PathPickerTest, SelectingAFolderChoosesItAndEntersIt) {
    CPathDlg chooser(false, "", "", 0x206, "aaaaa.aaaabbbb");
    INT_PTR result = 0;
    Drive(kChooserTitle,
          {[&](HWND dialog) { TypeAndEnter(dialog, m_root); },
           [&](HWND dialog) {
               Select(dialog, L"alpha");
               EXPECT_EQ(Path(L"alpha"), FileNameText(dialog));
               EXPECT_EQ(Utf8FromWide(Path(L"alpha")), chooser.m_strPath);
               EXPECT_EQ(Path(L"alpha"), CurrentDirectory());

               Select(dialog, L"资料");
               EXPECT_EQ(Path(L"资料"), FileNameText(dialog));
               EXPECT_EQ(Utf8FromWide(Path(L"资料")), chooser.m_strPath);
               EXPECT_EQ(Path(L"资料"), CurrentDirectory());

               // A file is no choice; the current directory stays where the last folder put it.
               Select(dialog, L"a.txt");
               EXPECT_EQ(L"", FileNameText(dialog));
               EXPECT_EQ("", chooser.m_strPath);
               EXPECT_EQ(Path(L"资料"), CurrentDirectory());

               // Of two folders the one listed first counts, whichever was clicked first.
               Select(dialog, L"beta");
               Select(dialog, L"alpha", true);
               EXPECT_EQ(Utf8FromWide(Path(L"alpha")), chooser.m_strPath);
               Select(dialog, L"alpha");
               Select(dialog, L"beta", true);
               EXPECT_EQ(Utf8FromWide(Path(L"alpha")), chooser.m_strPath);

               // A click beside the items, which selects none, keeps the last choice.
               Select(dialog, L"beta");
               SetSelected(dialog, -1, false);
               EXPECT_EQ(Path(L"beta"), FileNameText(dialog));
           },
           [](HWND dialog) { Press(dialog, IDCANCEL); }},
          [&] { result = chooser.RunModal(); });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(Utf8FromWide(Path(L"beta")), chooser.m_strPath);
    EXPECT_EQ(Path(L"beta"), CurrentDirectory());
}

TEST_F(PathPickerTest, FolderOfADriveRootHasOneBackslash) {
    CPathDlg chooser(false, "", "", 0x206, "aaaaa.aaaabbbb");
    INT_PTR result = 0;
    Drive(kChooserTitle,
          {[](HWND dialog) { TypeAndEnter(dialog, L"C:\\"); },
           [](HWND dialog) {
               Select(dialog, L"windows");
               EXPECT_EQ(L"C:\\windows", FileNameText(dialog));
           },
           // The close box ends it like "确定".
           [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
          [&] { result = chooser.RunModal(); });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("C:\\windows", chooser.m_strPath);
}

class PickerFromWindowTest : public PathPickerTest {
  protected:
    PickerFromWindowTest() : m_inBin(testsupport::ExecutableDirectory()) {
        EXPECT_TRUE(OpenModeless(m_dlg));
        m_window = m_dlg.Handle();
        ::SetCurrentDirectoryW(m_root.c_str());
    }
    // Clicks a "选择" button of the window and runs the steps in the picker it opens.
    void Pick(int button, const std::wstring& title, std::vector<Step> steps) {
        Drive(title, std::move(steps), [&] { Click(m_window, button); });
    }

    CCurrentDirectory m_inBin;  // where the build puts Runemap.dll, which the window loads
    CConvertDlg m_dlg;
    HWND m_window = nullptr;
};

TEST_F(PickerFromWindowTest, BatchModePicksFoldersForBothBoxes) {
    Click(m_window, IDC_MODE_BATCH);
    Pick(IDC_BROWSE_SOURCE, kChooserTitle,
         {[&](HWND dialog) {
              EXPECT_EQ(m_window, ::GetWindow(dialog, GW_OWNER));
              EXPECT_FALSE(::IsWindowEnabled(m_window));
              TypeAndEnter(dialog, m_root);
          },
          [](HWND dialog) { Select(dialog, L"资料"); }, [](HWND dialog) { Press(dialog, IDCANCEL); }});
    EXPECT_EQ(Path(L"资料"), Text(m_window, IDC_SOURCE_PATH));
    EXPECT_EQ(Utf8FromWide(Path(L"资料")), m_dlg.m_strSource);
    EXPECT_EQ(Path(L"资料"), CurrentDirectory());

    // Escape before anything is selected: the box is emptied.
    SetText(m_window, IDC_DEST_PATH, L"D:\\old");
    Pick(IDC_BROWSE_DEST, kChooserTitle,
         {[](HWND dialog) { testsupport::PostKey(dialog, IDCANCEL, VK_ESCAPE); }});
    EXPECT_EQ(L"", Text(m_window, IDC_DEST_PATH));
    EXPECT_EQ("", m_dlg.m_strDest);
    EXPECT_EQ(Path(L"资料"), Text(m_window, IDC_SOURCE_PATH));
}

TEST_F(PickerFromWindowTest, BatchChooserEndedThroughOkGivesNothing) {
    Click(m_window, IDC_MODE_BATCH);
    SetText(m_window, IDC_DEST_PATH, L"D:\\old");
    Pick(IDC_BROWSE_DEST, kChooserTitle,
         {[&](HWND dialog) { TypeAndEnter(dialog, m_root); },
          [](HWND dialog) {
              Select(dialog, L"alpha");
              SetSelected(dialog, -1, false);  // Enter would open a folder still selected
          },
          // Enter on a typed name saves it: the dialog ends with OK, which chooses no folder.
          [&](HWND dialog) { TypeAndEnter(dialog, Path(L"new.txt")); }});
    EXPECT_EQ(L"", Text(m_window, IDC_DEST_PATH));
    EXPECT_EQ("", m_dlg.m_strDest);
}

TEST_F(PickerFromWindowTest, SingleFileModeOpensTheFilterAndAllFiles) {
    SetText(m_window, IDC_FILTER, L"*.txt");
    Pick(IDC_BROWSE_SOURCE, kOpenTitle,
         {[&](HWND dialog) {
              EXPECT_EQ(m_window, ::GetWindow(dialog, GW_OWNER));
              HWND types = ::GetDlgItem(dialog, platform::kFileTypeList);
              ASSERT_EQ(2, ::SendMessageW(types, CB_GETCOUNT, 0, 0));
              wchar_t label[64] = {};
              ::SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(label));
              EXPECT_STREQ(L"*.txt", label);
              ::SendMessageW(types, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(label));
              EXPECT_STREQ(L"All File:(*.*)", label);
              TypeAndEnter(dialog, m_root);
          },
          [](HWND dialog) {
              EXPECT_EQ((std::vector<std::wstring>{L"资料", L"alpha", L"beta", L"a.txt"}),
                        ListedNames(dialog));
              Select(dialog, L"a.txt");
          },
          [](HWND dialog) { Press(dialog, IDOK); }});
    EXPECT_EQ(Path(L"a.txt"), Text(m_window, IDC_SOURCE_PATH));
    EXPECT_EQ(Utf8FromWide(Path(L"a.txt")), m_dlg.m_strSource);

    // A destination is a new name typed in the same dialog.
    Pick(IDC_BROWSE_DEST, kOpenTitle,
         {[&](HWND dialog) { TypeAndEnter(dialog, Path(L"资料")); },
          [](HWND dialog) {
              ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新.txt"));
              Press(dialog, IDOK);
          }});
    EXPECT_EQ(Path(L"资料\\新.txt"), Text(m_window, IDC_DEST_PATH));
    EXPECT_EQ(Path(L"资料"), CurrentDirectory());

    // Cancel empties the box.
    Pick(IDC_BROWSE_SOURCE, kOpenTitle, {[](HWND dialog) { Press(dialog, IDCANCEL); }});
    EXPECT_EQ(L"", Text(m_window, IDC_SOURCE_PATH));
    EXPECT_EQ("", m_dlg.m_strSource);
}

}  // namespace
