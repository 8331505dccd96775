// DropFilesTest.cpp: files and folders dropped on the real main window, as Explorer hands them over: a
// DROPFILES block in global memory sent with WM_DROPFILES.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ConvertDlg.hpp"
#include "platform/CodePage.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/TempDir.hpp"

namespace {

namespace fs = std::filesystem;
using testsupport::IsChecked;
using testsupport::SetText;
using testsupport::Text;

// A drop handle as the shell makes it: the names in UTF-16, each ending in NUL, the list in another NUL. The
// receiver releases it.
HDROP MakeDrop(const std::vector<std::wstring>& names, POINT at, bool nonClient = false) {
    std::size_t chars = 1;
    for (const std::wstring& name : names) chars += name.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fNC = nonClient ? TRUE : FALSE;
    header->fWide = TRUE;
    auto* list = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& name : names) {
        std::memcpy(list, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        list += name.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class DropFilesTest : public ::testing::Test {
  protected:
    DropFilesTest() : m_inBin(testsupport::ExecutableDirectory()) {}

    void SetUp() override {
        ASSERT_TRUE(testsupport::OpenModeless(dlg));
        window = dlg.Handle();
        fs::create_directories(m_dir.path() / L"文件夹");
        testsupport::WriteBytes(File(L"a.txt").string(), "a");
    }

    fs::path File(const std::wstring& name) const { return m_dir.path() / name; }
    std::wstring Folder() const { return (m_dir.path() / L"文件夹").wstring(); }

    // The middle of a control, in the window's client coordinates, where a drop reports its point.
    POINT Over(int id) const {
        RECT rect;
        ::GetWindowRect(dlg.Item(id), &rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void Drop(const std::vector<std::wstring>& names, POINT at, bool nonClient = false) {
        ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names, at, nonClient)), 0);
    }
    void ExpectMode(int mode) const {
        EXPECT_EQ(mode, dlg.m_nMode);
        EXPECT_EQ(mode == 0, IsChecked(window, IDC_MODE_SINGLE));
        EXPECT_EQ(mode == 1, IsChecked(window, IDC_MODE_BATCH));
    }
    void FillPaths() {
        SetText(window, IDC_SOURCE_PATH, L"C:\\old\\in.txt");
        SetText(window, IDC_DEST_PATH, L"C:\\old\\out.txt");
    }

    testsupport::CCurrentDirectory m_inBin;  // the window loads Runemap.dll from the current directory
    testsupport::TempDir m_dir;
    CConvertDlg dlg;
    HWND window = nullptr;
};

TEST_F(DropFilesTest, SourceDropsSwitchTheModeToTheirKindAsItsButtonWould) {
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    testsupport::CDialogResponder responder(IDOK);
    const std::wstring file = File(L"a.txt").wstring();

    // A file on the source box in single-file mode: only the source changes.
    FillPaths();
    Drop({file}, Over(IDC_SOURCE_PATH));
    EXPECT_EQ(file, Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(platform::GbkFromWide(file), dlg.m_strSource);
    EXPECT_EQ(L"C:\\old\\out.txt", Text(window, IDC_DEST_PATH));
    ExpectMode(0);

    // A folder anywhere off the destination box is a batch source: the switch empties the destination too.
    FillPaths();
    Drop({Folder()}, Over(IDC_SIMPLIFIED_TEXT));
    ExpectMode(1);
    EXPECT_EQ(Folder(), Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));
    EXPECT_EQ("", dlg.m_strDest);

    // A folder in batch mode switches nothing; a file dropped on the title bar goes back to single-file mode.
    SetText(window, IDC_DEST_PATH, L"C:\\old\\out");
    Drop({Folder()}, Over(IDC_PROGRESS));
    ExpectMode(1);
    EXPECT_EQ(L"C:\\old\\out", Text(window, IDC_DEST_PATH));
    RECT frame;
    ::GetWindowRect(window, &frame);
    Drop({file}, {frame.left + 40, frame.top + 5}, true);
    ExpectMode(0);
    EXPECT_EQ(file, Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));

    // A name that is no longer there is taken as it is, and the mode stays.
    Drop({File(L"gone.txt").wstring()}, Over(IDC_SOURCE_PATH));
    ExpectMode(0);
    EXPECT_EQ(File(L"gone.txt").wstring(), Text(window, IDC_SOURCE_PATH));

    // Nothing started: no message, Start still idle.
    EXPECT_TRUE(responder.Seen().empty());
    EXPECT_TRUE(::IsWindowEnabled(dlg.Item(IDC_START)));
}

TEST_F(DropFilesTest, DestinationBoxTakesFilesAndFoldersWithoutChangingTheMode) {
    FillPaths();
    Drop({Folder()}, Over(IDC_DEST_PATH));
    ExpectMode(0);
    EXPECT_EQ(Folder(), Text(window, IDC_DEST_PATH));
    EXPECT_EQ(platform::GbkFromWide(Folder()), dlg.m_strDest);
    EXPECT_EQ(L"C:\\old\\in.txt", Text(window, IDC_SOURCE_PATH));

    testsupport::Click(window, IDC_MODE_BATCH);
    Drop({File(L"a.txt").wstring()}, Over(IDC_DEST_PATH));
    ExpectMode(1);
    EXPECT_EQ(File(L"a.txt").wstring(), Text(window, IDC_DEST_PATH));
}

TEST_F(DropFilesTest, OfSeveralItemsTheFirstCounts) {
    const std::wstring file = File(L"a.txt").wstring();
    Drop({Folder(), file}, Over(IDC_SOURCE_PATH));
    ExpectMode(1);
    EXPECT_EQ(Folder(), Text(window, IDC_SOURCE_PATH));

    Drop({file, Folder()}, Over(IDC_DEST_PATH));
    EXPECT_EQ(file, Text(window, IDC_DEST_PATH));
}

TEST_F(DropFilesTest, NamesOutsideGbkArriveWhole) {
    // An emoji and a rare ideograph beyond the BMP (surrogate pairs), Hangul.
    for (const std::wstring name : {L"笑\U0001F600.txt", L"한글.txt", L"\U00020000字.txt"}) {
        const fs::path file = File(name);
        testsupport::WriteBytes(file.string(), "x");
        Drop({file.wstring()}, Over(IDC_SOURCE_PATH));
        EXPECT_EQ(file.wstring(), Text(window, IDC_SOURCE_PATH));
        ExpectMode(0);
        // Showing the values again (as "→" does) leaves the box alone.
        testsupport::Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(file.wstring(), Text(window, IDC_SOURCE_PATH));

        const fs::path folder = File(L"夹" + name);
        fs::create_directories(folder);
        Drop({folder.wstring()}, Over(IDC_DEST_PATH));
        EXPECT_EQ(folder.wstring(), Text(window, IDC_DEST_PATH));
    }
}

}  // namespace
