// FaultTestSupport.hpp: what the fault tests need beyond the conversion tests' helpers: a disk small enough
// to fill, and the process's memory figures.
#pragma once

#include <psapi.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/CodePage.hpp"
#include "tests/support/WineUnix.hpp"

namespace faultsupport {

// A tmpfs of a few megabytes mounted on an empty folder, through the Unix side of Wine (mounting needs root).
// Unmounted lazily on destruction, so a handle left open cannot keep it.
class CSmallDisk {
  public:
    CSmallDisk(const std::string& folder, std::uint64_t bytes) : m_folder(platform::WideFromUtf8(folder)) {
        m_unixFolder = testsupport::UnixNameOf(m_folder);
        if (m_unixFolder.empty()) {
            m_why = "needs Wine to reach the Unix side";
            return;
        }
        if (!testsupport::RunUnixProgram(L"Z:\\bin\\mount",
                                         "mount -t tmpfs -o size=" + std::to_string(bytes) +
                                             " zendrix-small-disk \"" + m_unixFolder + "\"")) {
            m_why = "cannot start mount";
            return;
        }
        m_mounted = WaitFor([&] { return TotalBytes() == bytes; });
        if (!m_mounted) m_why = "mounting a tmpfs failed (needs root)";
    }
    ~CSmallDisk() {
        if (!m_mounted) return;
        const std::uint64_t small = TotalBytes();
        if (testsupport::RunUnixProgram(L"Z:\\bin\\umount", "umount -l \"" + m_unixFolder + "\"")) {
            WaitFor([&] { return TotalBytes() != small; });
        }
    }
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& WhyNot() const { return m_why; }
    std::uint64_t FreeBytes() const {
        ULARGE_INTEGER free{}, total{}, totalFree{};
        return ::GetDiskFreeSpaceExW(m_folder.c_str(), &free, &total, &totalFree) ? free.QuadPart : 0;
    }

  private:
    std::uint64_t TotalBytes() const {
        ULARGE_INTEGER free{}, total{}, totalFree{};
        return ::GetDiskFreeSpaceExW(m_folder.c_str(), &free, &total, &totalFree) ? total.QuadPart : 0;
    }

    template <class Condition>
    static bool WaitFor(Condition done) {
        for (int i = 0; i < 100; ++i) {
            if (done()) return true;
            ::Sleep(50);
        }
        return false;
    }

    std::wstring m_folder;
    std::string m_unixFolder;
    bool m_mounted = false;
    std::string m_why;
};

// The process's working set now and at its highest so far, in bytes.
struct MemoryFigures {
    std::uint64_t current = 0;
    std::uint64_t peak = 0;
};

inline MemoryFigures Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return {};
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

// Memory figures mean something only in a process that has done nothing else (Wine keeps its own peak, which
// nothing resets), so a test that measures runs itself again alone in a child process.
inline bool IsChildRun() { return ::GetEnvironmentVariableW(L"ZENDRIX_FAULT_CHILD", nullptr, 0) > 0; }

// Runs the current test alone in a child process; its exit code (0 when it passed), or -1 if it did not run.
inline long RunCurrentTestAlone() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
    wchar_t exe[MAX_PATH];
    if (::GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0) return -1;
    std::wstring line = L"fault_tests --gtest_filter=" + std::wstring(filter.begin(), filter.end());
    ::SetEnvironmentVariableW(L"ZENDRIX_FAULT_CHILD", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(exe, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &process) != 0;
    ::SetEnvironmentVariableW(L"ZENDRIX_FAULT_CHILD", nullptr);
    if (!started) return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

}  // namespace faultsupport
