// ZendrixProcessTest.cpp: the real program, started as its own process: it comes up, and it ends when closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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
    bool WaitForExit(DWORD& code, int seconds = 60) const {
        if (::WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(seconds) * 1000) != WAIT_OBJECT_0)
            return false;
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

}  // namespace
