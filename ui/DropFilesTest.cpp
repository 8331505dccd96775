// DropFilesTest.cpp: files and folders dropped on the real main window as Explorer hands them over: a
// DROPFILES block in global memory, sent with WM_DROPFILES.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ConvertDlg.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/TempDir.hpp"

namespace {

namespace fs = std::filesystem;
using testsupport::IsChecked;
using testsupport::SetText;
using testsupport::Text;

class DropFilesTest : public ::testing::Test {
  protected:
    DropFilesTest() : m_inBin(testsupport::ExecutableDirectory()) {}

    void SetUp() override {
        ASSERT_TRUE(testsupport::OpenModeless(dlg));
        window = dlg.Handle();
        fs::create_directories(folder);
        testsupport::WriteBytes(fs::path(file).string(), "a");
    }

    // The names in UTF-16, each ending in NUL, the list in another; the window releases the block.
    void Drop(const std::vector<std::wstring>& names, POINT at, bool onTitleBar = false) {
        std::size_t chars = 1;
        for (const std::wstring& name : names) chars += name.size() + 1;
        HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
        *header = {sizeof(DROPFILES), at, onTitleBar, TRUE};
        auto* list = reinterpret_cast<wchar_t*>(header + 1);
        for (const std::wstring& name : names) {
            std::memcpy(list, name.c_str(), name.size() * sizeof(wchar_t));
            list += name.size() + 1;
        }
        ::GlobalUnlock(memory);
        ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }
    // The middle of a control in the window's client coordinates, as a drop reports its point.
    POINT Over(int id) const {
        RECT rect;
        ::GetWindowRect(dlg.Item(id), &rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void ExpectMode(int mode) const {
        EXPECT_EQ(mode, dlg.m_nMode);
        EXPECT_EQ(mode == 0, IsChecked(window, IDC_MODE_SINGLE));
        EXPECT_EQ(mode == 1, IsChecked(window, IDC_MODE_BATCH));
    }

    testsupport::CCurrentDirectory m_inBin;  // the window loads Runemap.dll from the current directory
    testsupport::TempDir m_dir;
    const std::wstring file = (m_dir.path() / L"a.txt").wstring();
    const std::wstring folder = (m_dir.path() / L"文件夹").wstring();
    CConvertDlg dlg;
    HWND window = nullptr;
};

TEST_F(DropFilesTest, SourceDropsSwitchTheModeToTheirKindAsItsButtonWould) {
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    testsupport::CDialogResponder responder(IDOK);
    SetText(window, IDC_DEST_PATH, L"C:\\old\\out.txt");

    // A file on the source box in single-file mode: only the source changes.
    Drop({file}, Over(IDC_SOURCE_PATH));
    EXPECT_EQ(file, Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"C:\\old\\out.txt", Text(window, IDC_DEST_PATH));
    ExpectMode(0);

    // A folder anywhere off the destination box is a batch's source: the switch empties the destination.
    Drop({folder}, Over(IDC_SIMPLIFIED_TEXT));
    ExpectMode(1);
    EXPECT_EQ(folder, Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));
    EXPECT_EQ("", dlg.m_strDest);

    // A folder in batch mode switches nothing; a file dropped on the title bar goes back to single-file mode.
    SetText(window, IDC_DEST_PATH, L"C:\\old\\out");
    Drop({folder}, Over(IDC_PROGRESS));
    EXPECT_EQ(L"C:\\old\\out", Text(window, IDC_DEST_PATH));
    RECT frame;
    ::GetWindowRect(window, &frame);
    Drop({file}, {frame.left + 40, frame.top + 5}, true);
    ExpectMode(0);
    EXPECT_EQ(file, Text(window, IDC_SOURCE_PATH));
    EXPECT_EQ(L"", Text(window, IDC_DEST_PATH));

    // Nothing starts by itself.
    EXPECT_TRUE(responder.Seen().empty());
    EXPECT_TRUE(::IsWindowEnabled(dlg.Item(IDC_START)));
}

TEST_F(DropFilesTest, DestinationBoxTakesTheFirstItemWhateverItsKind) {
    SetText(window, IDC_SOURCE_PATH, L"C:\\old\\in.txt");
    Drop({folder, file}, Over(IDC_DEST_PATH));
    ExpectMode(0);
    EXPECT_EQ(folder, Text(window, IDC_DEST_PATH));
    EXPECT_EQ(L"C:\\old\\in.txt", Text(window, IDC_SOURCE_PATH));

    testsupport::Click(window, IDC_MODE_BATCH);
    Drop({file, folder}, Over(IDC_DEST_PATH));
    ExpectMode(1);
    EXPECT_EQ(file, Text(window, IDC_DEST_PATH));
}

TEST_F(DropFilesTest, NamesOutsideGbkArriveWhole) {
    // An emoji and a rare ideograph beyond the BMP (surrogate pairs), Hangul.
    for (const std::wstring name : {L"笑\U0001F600", L"한글", L"\U00020000字"}) {
        const fs::path named = m_dir.path() / (name + L".txt");
        testsupport::WriteBytes(named.string(), "x");
        Drop({named.wstring()}, Over(IDC_SOURCE_PATH));
        EXPECT_EQ(named.wstring(), Text(window, IDC_SOURCE_PATH));
        // Showing the values again (as "→" does) leaves the box alone.
        testsupport::Click(window, IDC_TO_TRADITIONAL);
        EXPECT_EQ(named.wstring(), Text(window, IDC_SOURCE_PATH));
    }
}

}  // namespace
