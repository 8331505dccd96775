// SystemPosix.cpp: zendrix-convert's system services on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "System.hpp"
#include "core/CharTables.hpp"

namespace cli {

bool ProgramArguments(int argc, char** argv, std::vector<std::string>& args, std::string&) {
    args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    return true;
}

std::string DefaultTablePath() {
    std::string exe(4096, '\0');
    for (;;) {
        const ssize_t got = ::readlink("/proc/self/exe", exe.data(), exe.size());
        if (got <= 0) return kTableFileName;
        if (static_cast<std::size_t>(got) < exe.size()) {
            exe.resize(static_cast<std::size_t>(got));
            break;
        }
        exe.resize(exe.size() * 2);
    }
    return exe.substr(0, exe.rfind('/') + 1) + kTableFileName;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CreateNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    return ::close(fd) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
    // The data must be on the disk before the name says the file is finished.
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return MoveResult::Failed;
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced) return MoveResult::Failed;

    if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? MoveResult::Moved : MoveResult::Failed;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveResult::Moved;
    if (errno == EEXIST) return MoveResult::TargetExists;
    if (errno != EINVAL && errno != ENOSYS) return MoveResult::Failed;
    // A file system that cannot refuse to replace: check, then rename.
    if (PathExists(to)) return MoveResult::TargetExists;
    return ::rename(from.c_str(), to.c_str()) == 0 ? MoveResult::Moved : MoveResult::Failed;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

void WriteOutput(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void WriteError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace cli
