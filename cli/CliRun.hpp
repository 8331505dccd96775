// CliRun.hpp: for the tests of zendrix-convert: runs the real executable, and small file helpers.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>

#include "platform/CodePage.hpp"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace clitest {

namespace fs = std::filesystem;
using testsupport::TempDir;

// A UTF-8 file name as the test opens it: the same bytes on Linux, the same characters on Windows.
inline fs::path FsPath(const std::string& name) {
#ifdef _WIN32
    return fs::path(platform::WideFromUtf8(name));
#else
    return fs::path(name);
#endif
}

// The reverse: a path's name as UTF-8 (std::filesystem would use the system's code page on Windows).
inline std::string Utf8Name(const fs::path& path) {
#ifdef _WIN32
    return platform::Utf8FromWide(path.generic_wstring());
#else
    return path.generic_string();
#endif
}

inline std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    std::transform(fs::directory_iterator(folder), fs::directory_iterator(), std::back_inserter(names),
                   [](const fs::directory_entry& entry) { return Utf8Name(entry.path().filename()); });
    std::sort(names.begin(), names.end());
    return names;
}

inline const fs::path kGolden = ZENDRIX_GOLDEN_DIR;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

#ifdef _WIN32
inline fs::path ProgramFolder() {
    std::wstring exe(32768, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    return fs::path(exe).parent_path();
}
inline const fs::path kConverter = ProgramFolder() / "zendrix-convert.exe";

// Quoting that CommandLineToArgvW undoes: backslashes are literal unless they precede a quote.
inline std::wstring Quote(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, L'\\');
    return quoted + L"\"";
}

// Runs the converter in folder with a wide command line, as Explorer or cmd.exe would; standard input reads
// stdinBytes.
inline Result RunConverterWide(const fs::path& folder, const std::vector<std::wstring>& args,
                               const std::string& stdinBytes = "") {
    TempDir capture;
    Write(capture.path() / "stdin", stdinBytes);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const char* name) {
        return ::CreateFileW((capture.path() / name).wstring().c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE out = create("stdout");
    HANDLE err = create("stderr");
    HANDLE in = ::CreateFileW((capture.path() / "stdin").wstring().c_str(), GENERIC_READ, FILE_SHARE_READ,
                              &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring command = Quote(kConverter.wstring());
    for (const std::wstring& arg : args) command += L" " + Quote(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    Result result;
    // Wine on a loaded machine now and then fails to start a process at all: that is tried again, and said.
    bool started = false;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(200);
        started = ::CreateProcessW(kConverter.wstring().c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, folder.wstring().c_str(), &startup, &process) != 0;
        if (!started) startError = ::GetLastError();
    }
    if (started) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        result.code = static_cast<int>(code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(in);
    ::CloseHandle(out);
    ::CloseHandle(err);
    result.out = Read(capture.path() / "stdout");
    result.err = Read(capture.path() / "stderr");
    if (!started) result.err += "the converter could not be started: error " + std::to_string(startError);
    return result;
}

// Runs the converter in folder; file size and memory limits exist only natively.
inline Result RunConverter(const fs::path& folder, const std::vector<std::string>& args, long = 0,
                           const std::string& stdinBytes = "", long = 0) {
    std::vector<std::wstring> wide(args.size());
    std::transform(args.begin(), args.end(), wide.begin(),
                   [](const std::string& a) { return platform::WideFromUtf8(a); });
    return RunConverterWide(folder, wide, stdinBytes);
}
#else
inline const fs::path kConverter = fs::read_symlink("/proc/self/exe").parent_path() / "zendrix-convert";

// Runs the converter in folder; a positive fileSizeLimit makes writes beyond it fail with EFBIG, a positive
// memoryLimit bounds its address space (bytes). Standard input reads stdinBytes.
inline Result RunConverter(const fs::path& folder, const std::vector<std::string>& args,
                           long fileSizeLimit = 0, const std::string& stdinBytes = "", long memoryLimit = 0) {
    TempDir capture;
    const std::string outPath = capture.File("stdout");
    const std::string errPath = capture.File("stderr");
    const std::string inPath = capture.File("stdin");
    Write(inPath, stdinBytes);
    std::vector<std::string> strings{kConverter.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv(strings.size());
    std::transform(strings.begin(), strings.end(), argv.begin(), [](std::string& s) { return s.data(); });
    argv.push_back(nullptr);
    // The limit stands for memory used. glibc reserves 64 MB of address space for a second thread's malloc
    // arena, or not, as the addresses fall at random: with one arena the count is the same at every run.
    // Made before the fork, as the child may only call what is safe between fork and exec.
    std::vector<std::string> environment;
    if (memoryLimit > 0) environment.emplace_back("MALLOC_ARENA_MAX=1");
    for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
    std::vector<char*> envp(environment.size());
    std::transform(environment.begin(), environment.end(), envp.begin(),
                   [](std::string& s) { return s.data(); });
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(inPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (memoryLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Result result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    result.out = Read(outPath);
    result.err = Read(errPath);
    return result;
}
#endif

}  // namespace clitest
