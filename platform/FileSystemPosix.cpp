// FileSystemPosix.cpp: the file system on Linux (the native build and the command-line converter).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>

#include "FileSystem.hpp"

namespace platform {

namespace {

EntryKind KindOf(int folder, const char* name) {
    struct stat st {};
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::Special;
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::fstatat(folder, name, &st, 0) != 0) return EntryKind::Special;
    if (S_ISDIR(st.st_mode)) return link ? EntryKind::FolderLink : EntryKind::Folder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Special;
}

// The signals that end the process from outside, and the name their handler removes. The name changes only
// while they are blocked, so the handler never sees it half written.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
std::string g_unfinished;

sigset_t EndingSignals() {
    sigset_t set;
    ::sigemptyset(&set);
    for (const int sig : kEndingSignals) ::sigaddset(&set, sig);
    return set;
}

void RemoveUnfinishedAndEnd(int sig) {
    if (!g_unfinished.empty()) ::unlink(g_unfinished.c_str());
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

void SetUnfinishedOutput(const std::string& path) {
    std::string name = path;  // any allocation before the signals are blocked
    const sigset_t ending = EndingSignals();
    sigset_t old;
    ::sigprocmask(SIG_BLOCK, &ending, &old);
    g_unfinished.swap(name);
    ::sigprocmask(SIG_SETMASK, &old, nullptr);
}

void RemoveUnfinishedOnTermination() {
    for (const int sig : kEndingSignals) {
        struct sigaction action {};
        struct sigaction old {};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // ignored by the caller (nohup): stays ignored
        action.sa_handler = RemoveUnfinishedAndEnd;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSpecialFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string FileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

bool StandardOutputIs(const std::string& path) {
    struct stat out {};
    struct stat in {};
    if (::fstat(STDOUT_FILENO, &out) != 0 || !S_ISREG(out.st_mode)) return false;
    const int got = path.empty() ? ::fstat(STDIN_FILENO, &in) : ::stat(path.c_str(), &in);
    return got == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool MakeFolders(const std::string& path) {
    // The missing folders are prefixes of path, found from it up and made from the top down: their lengths
    // in a list, for a path of any depth.
    std::vector<std::size_t> missing;
    for (std::string folder = path; !IsDirectory(folder);) {
        missing.push_back(folder.size());
        std::string parent = FolderOf(folder);
        if (parent.empty() || parent == folder) break;
        folder = std::move(parent);
    }
    for (auto size = missing.rbegin(); size != missing.rend(); ++size) MakeDirectory(path.substr(0, *size));
    return IsDirectory(path);
}

bool SetAttributes(const std::string& path, std::uint32_t) { return PathExists(path); }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
    if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? MoveResult::Moved : MoveResult::Failed;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveResult::Moved;
    if (errno == EEXIST) return MoveResult::TargetExists;
    if (errno != EINVAL && errno != ENOSYS) return MoveResult::Failed;
    // A file system that cannot refuse to replace: check, then rename.
    if (PathExists(to)) return MoveResult::TargetExists;
    return ::rename(from.c_str(), to.c_str()) == 0 ? MoveResult::Moved : MoveResult::Failed;
}

std::string CurrentDirectory() {
    std::string dir(4096, '\0');
    while (::getcwd(dir.data(), dir.size()) == nullptr) {
        if (errno != ERANGE) return {};
        dir.resize(dir.size() * 2);
    }
    dir.resize(dir.find('\0'));
    return dir;
}

bool ChangeDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string ExecutablePath() {
    std::string exe(4096, '\0');
    for (;;) {
        const ssize_t got = ::readlink("/proc/self/exe", exe.data(), exe.size());
        if (got <= 0) return {};
        if (static_cast<std::size_t>(got) < exe.size()) {
            exe.resize(static_cast<std::size_t>(got));
            return exe;
        }
        exe.resize(exe.size() * 2);
    }
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool NameFits(const std::string& name) { return name.size() <= NAME_MAX; }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    const int fd = ::dirfd(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") entries.push_back({name, KindOf(fd, entry->d_name)});
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    return complete;
}

}  // namespace platform
