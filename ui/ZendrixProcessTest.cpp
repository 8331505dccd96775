// ZendrixProcessTest.cpp: the real program, started as its own process: it comes up, and it ends when closed,
// also in the middle of a long batch, whichever way the user closes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/CodePage.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
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
using testsupport::IsChecked;

// Real input, as a user's hands give it: Wine queues it for the foreground window's thread.
void PressKeys(std::initializer_list<WORD> down) {
    std::vector<INPUT> inputs;
    for (WORD key : down) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = down.end(); it != down.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void ClickAt(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

POINT CentreOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A point of the title bar's close box, found by asking the window what lies under each point of the bar.
POINT CloseBoxOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int y = rect.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = rect.right - 1; x > rect.left; --x) {
        if (::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x - 4, y};
    }
    return {-1, -1};
}

std::size_t FilesIn(const fs::path& dir) {
    std::error_code ec;
    std::size_t count = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++count;
    return count;
}

constexpr int kBatchFiles = 3000;
constexpr int kLinesPerFile = 60;  // a few kilobytes: a file cut short would show

enum class CloseWay { CloseButton, Escape, CloseBox, SystemMenuClose };

std::string NameOf(CloseWay way) {
    switch (way) {
        case CloseWay::CloseButton:
            return "CloseButton";
        case CloseWay::Escape:
            return "Escape";
        case CloseWay::CloseBox:
            return "CloseBox";
        case CloseWay::SystemMenuClose:
            return "SystemMenuClose";
    }
    return "Unknown";
}

std::string CloseWayName(const ::testing::TestParamInfo<CloseWay>& info) { return NameOf(info.param); }

// One source tree of thousands of files for every way of closing; each run converts into a folder of its own.
class ZendrixCloseDuringBatchTest : public ::testing::TestWithParam<CloseWay> {
  protected:
    static void SetUpTestSuite() {
        s_tree = std::make_unique<testsupport::TempDir>();
        std::wstring line;
        for (int i = 0; i < 8; ++i) line += L"后来的发展，简体中文转换为繁体中文。";
        std::wstring text;
        for (int i = 0; i < kLinesPerFile; ++i) text += line + L"\n";
        s_source = platform::GbkFromWide(text);
        for (int i = 0; i < kBatchFiles; ++i) {
            const fs::path dir = s_tree->path() / "src" / ("d" + std::to_string(i / 500));
            fs::create_directories(dir);
            testsupport::WriteBytes((dir / ("f" + std::to_string(i) + ".txt")).string(), s_source);
        }
    }
    static void TearDownTestSuite() { s_tree.reset(); }

    // What every converted file holds, complete.
    static std::string Expected() {
        std::wstring line;
        for (int i = 0; i < 8; ++i) line += L"後來的發展，簡體中文轉換爲繁體中文。";
        std::wstring text;
        for (int i = 0; i < kLinesPerFile; ++i) text += line + L"\r\n";
        return platform::GbkFromWide(text);
    }

    static inline std::unique_ptr<testsupport::TempDir> s_tree;
    static inline std::string s_source;
};

TEST_P(ZendrixCloseDuringBatchTest, EndsPromptlyWithEveryFileWhole) {
    const fs::path src = s_tree->path() / "src";
    const fs::path out = s_tree->path() / ("out-" + NameOf(GetParam()));
    CProgram program(testsupport::ExecutableDirectory());
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForWindow(kTitle);
    ASSERT_NE(nullptr, window) << "no main window";
    ASSERT_TRUE(::SetForegroundWindow(window));
    const POINT closeBox = CloseBoxOf(window);
    ASSERT_GE(closeBox.x, 0) << "no close box in the title bar";

    // Batch mode, both paths, then a click on Start, all as a user would.
    ClickAt(CentreOf(::GetDlgItem(window, IDC_MODE_BATCH)));
    // The click empties both path boxes: wait for it before filling them.
    for (int waited = 0; !IsChecked(window, IDC_MODE_BATCH) && waited < 100; ++waited) ::Sleep(50);
    ClickAt(CentreOf(::GetDlgItem(window, IDC_SOURCE_PATH)));
    ::SendMessageW(::GetDlgItem(window, IDC_SOURCE_PATH), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(src.wstring().c_str()));
    ::SendMessageW(::GetDlgItem(window, IDC_DEST_PATH), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(out.wstring().c_str()));
    ClickAt(CentreOf(::GetDlgItem(window, IDC_START)));

    // Close once the walk is well under way.
    for (int waited = 0; FilesIn(out) < 100 && waited < 600; ++waited) ::Sleep(100);
    ASSERT_GE(FilesIn(out), 100u) << "the batch did not get going";
    const auto closed = std::chrono::steady_clock::now();
    switch (GetParam()) {
        case CloseWay::CloseButton:
            ClickAt(CentreOf(::GetDlgItem(window, IDCLOSE)));
            break;
        case CloseWay::Escape:
            PressKeys({VK_ESCAPE});
            break;
        case CloseWay::CloseBox:
            ClickAt(closeBox);
            break;
        case CloseWay::SystemMenuClose:
            // Alt+Space opens the system menu; C chooses its Close item.
            PressKeys({VK_MENU, VK_SPACE});
            PressKeys({'C'});
            break;
    }
    DWORD code = 1;
    const bool ended = program.WaitForExitMs(code, 10000);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count();
    const std::size_t converted = FilesIn(out);
    std::printf("ended %.2f s after the close, %zu of %d files converted\n", seconds, converted, kBatchFiles);
    ASSERT_TRUE(ended) << "still running 10 s after the close, " << converted << " files converted";
    EXPECT_EQ(0u, code);
    EXPECT_LT(converted, static_cast<std::size_t>(kBatchFiles)) << "the close came after the walk";

    // Every file the run made is whole.
    const std::string expected = Expected();
    std::size_t whole = 0;
    for (const auto& entry : fs::directory_iterator(out))
        whole += testsupport::ReadBytes(entry.path().string()) == expected ? 1 : 0;
    EXPECT_EQ(converted, whole);
}

INSTANTIATE_TEST_SUITE_P(AllWays, ZendrixCloseDuringBatchTest,
                         ::testing::Values(CloseWay::CloseButton, CloseWay::Escape, CloseWay::CloseBox,
                                           CloseWay::SystemMenuClose),
                         CloseWayName);

}  // namespace
