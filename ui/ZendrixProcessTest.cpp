// ZendrixProcessTest.cpp: the real program, started as its own process: it comes up, and it ends when closed,
// also in the middle of a long batch, whichever way the user closes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "platform/CodePage.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/GbkText.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::CDialogResponder;

const wchar_t kTitle[] = L"Oldeno通用繁简转换工具";

class CProgram {
  public:
    // Starts Zendrix.exe from the folder of this test, with the given current directory.
    explicit CProgram(const std::wstring& currentDirectory) {
        std::wstring command = L"\"" + testsupport::ExecutableDirectory() + L"\\Zendrix.exe\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        m_started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     currentDirectory.c_str(), &startup, &m_process) != FALSE;
    }
    ~CProgram() {
        if (!m_started) return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 1);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    bool Started() const { return m_started; }

    // A top-level dialog window of the program with this title, once it is visible.
    HWND WaitForWindow(const wchar_t* title, int seconds = 60) const {
        for (int waited = 0; waited < seconds * 10; ++waited) {
            for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32770", title); window;
                 window = ::FindWindowExW(nullptr, window, L"#32770", title)) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == m_process.dwProcessId && ::IsWindowVisible(window)) return window;
            }
            if (::WaitForSingleObject(m_process.hProcess, 100) != WAIT_TIMEOUT) return nullptr;
        }
        return nullptr;
    }

    // True when the process ended within the time; its exit code in `code`.
    bool WaitForExit(DWORD& code, int seconds = 60) const { return WaitForExitMs(code, seconds * 1000); }
    bool WaitForExitMs(DWORD& code, DWORD milliseconds) const {
        if (::WaitForSingleObject(m_process.hProcess, milliseconds) != WAIT_OBJECT_0) return false;
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return true;
    }

  private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

TEST(ZendrixProcessTest, ComesUpWithItsWindowAndEndsOnClose) {
    CProgram program(testsupport::ExecutableDirectory());
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForWindow(kTitle);
    ASSERT_NE(nullptr, window) << "no main window";
    EXPECT_EQ(L"*.txt;*.asp;*.php;*.jsp;*.html;*.asa;*.jsa;*.vbs;*.cpp;*.h;*.pas;*.dfm",
              testsupport::Text(window, IDC_FILTER));

    ::PostMessageW(::GetDlgItem(window, IDCLOSE), BM_CLICK, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(code)) << "still running after 关闭";
    EXPECT_EQ(0u, code);
}

TEST(ZendrixProcessTest, WithoutTheTableFileItSaysSoAndEnds) {
    testsupport::TempDir empty;
    CProgram program(empty.path().wstring());
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForWindow(L"Zendrix");
    ASSERT_NE(nullptr, box) << "no message box";
    EXPECT_EQ(L"Open File err!", CDialogResponder::Read(box).text);
    HWND main = ::FindWindowW(L"#32770", kTitle);
    EXPECT_TRUE(!main || !::IsWindowVisible(main)) << "the main window showed";

    CDialogResponder::Press(box, IDOK);
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(code)) << "still running after the message";
}

namespace fs = std::filesystem;

// Real input, as a user's hands give it: Wine hands it to the window in front.
void PressKeys(std::initializer_list<BYTE> keys) {
    for (BYTE key : keys) ::keybd_event(key, 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        ::keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
}

void ClickAt(POINT at) {
    ::SetCursorPos(at.x, at.y);
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void Click(HWND window, int id) {
    RECT rect;
    ::GetWindowRect(::GetDlgItem(window, id), &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

// A point of the title bar's close box: the window says what lies under each point of the bar.
POINT CloseBoxOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int y = rect.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = rect.right - 1; x > rect.left; --x)
        if (::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x - 4, y};
    return {-1, -1};
}

std::size_t FilesIn(const fs::path& dir) {
    std::error_code ec;
    std::size_t count = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++count;
    return count;
}

// A file of a few kilobytes, so that one cut short would show: 60 lines of the line given.
std::string Text(const std::wstring& line, const std::wstring& end) {
    std::wstring text;
    for (int i = 0; i < 60; ++i) text += line + line + line + line + end;
    return testsupport::GbkOf(text);
}

constexpr int kBatchFiles = 3000;

// One source tree of thousands of files for every way of closing; each run converts into a folder of its own.
class ZendrixCloseDuringBatchTest : public ::testing::TestWithParam<std::string> {
  protected:
    static void SetUpTestSuite() {
        s_tree = std::make_unique<testsupport::TempDir>();
        for (int i = 0; i < kBatchFiles; ++i) {
            const fs::path dir = s_tree->path() / "src" / ("d" + std::to_string(i / 500));
            fs::create_directories(dir);
            testsupport::WriteBytes((dir / ("f" + std::to_string(i) + ".txt")).string(),
                                    Text(L"后来的发展，简体中文转换为繁体中文。", L"\n"));
        }
    }
    static void TearDownTestSuite() { s_tree.reset(); }
    static inline std::unique_ptr<testsupport::TempDir> s_tree;
};

TEST_P(ZendrixCloseDuringBatchTest, EndsPromptlyWithEveryFileWhole) {
    const std::string way = GetParam();
    const fs::path src = s_tree->path() / "src", out = s_tree->path() / ("out-" + way);
    CProgram program(testsupport::ExecutableDirectory());
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForWindow(kTitle);
    ASSERT_NE(nullptr, window) << "no main window";
    ASSERT_TRUE(::SetForegroundWindow(window));
    const POINT closeBox = CloseBoxOf(window);
    ASSERT_GE(closeBox.x, 0) << "no close box in the title bar";

    // Batch mode, whose click empties both path boxes, then the paths, then Start: the mouse's focus on Start
    // goes with Start's disabling.
    Click(window, IDC_MODE_BATCH);
    for (int waited = 0; !testsupport::IsChecked(window, IDC_MODE_BATCH) && waited < 100; ++waited)
        ::Sleep(50);
    testsupport::SetText(window, IDC_SOURCE_PATH, src.wstring());
    testsupport::SetText(window, IDC_DEST_PATH, out.wstring());
    Click(window, IDC_START);
    for (int waited = 0; FilesIn(out) < 100 && waited < 600; ++waited) ::Sleep(100);
    ASSERT_GE(FilesIn(out), 100u) << "the batch did not get going";

    const auto closed = std::chrono::steady_clock::now();
    if (way == "CloseButton") {
        Click(window, IDCLOSE);
    } else if (way == "EscapeInABox") {
        Click(window, IDC_FILTER);  // typing works during a walk
        PressKeys({VK_ESCAPE});
    } else if (way == "EscapeWithoutFocus") {
        PressKeys({VK_ESCAPE});
    } else if (way == "CloseBox") {
        ClickAt(closeBox);
    } else {
        PressKeys({VK_MENU, VK_SPACE});  // the system menu, whose Close item C chooses
        PressKeys({'C'});
    }
    DWORD code = 1;
    const bool ended = program.WaitForExitMs(code, 10000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count();
    const std::size_t converted = FilesIn(out);
    std::printf("ended %.2f s after the close, %zu of %d files converted\n", seconds, converted, kBatchFiles);
    ASSERT_TRUE(ended) << "still running 10 s after the close";
    EXPECT_EQ(0u, code);
    EXPECT_LT(converted, static_cast<std::size_t>(kBatchFiles)) << "the close came after the walk";
    const std::string whole = Text(L"後來的發展，簡體中文轉換爲繁體中文。", L"\r\n");
    for (const auto& entry : fs::directory_iterator(out))
        EXPECT_EQ(whole, testsupport::ReadBytes(entry.path().string())) << entry.path();
}

std::string WayName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(AllWays, ZendrixCloseDuringBatchTest,
                         ::testing::Values("CloseButton", "EscapeInABox", "EscapeWithoutFocus", "CloseBox",
                                           "SystemMenuClose"),
                         WayName);

}  // namespace
