// RawFilePosix.cpp: the POSIX backend of CRawFile (the native build and the command-line converter).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "RawFile.hpp"

namespace platform {

namespace {

bool IsRegular(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// Keeps a descriptor just opened; false when the opening failed.
bool Keep(std::intptr_t& handle, int fd) {
    if (fd < 0) return false;
    handle = fd;
    return true;
}

}  // namespace

bool CRawFile::OpenForReading(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

bool CRawFile::CreateForWriting(const std::string& path) {
    Close();
    return Keep(m_handle, ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

bool CRawFile::CreateNew(const std::string& path) {
    Close();
    // O_EXCL with O_CREAT fails on any existing name, and does not follow a symbolic link.
    m_written = m_syncStarted = 0;
    m_durable = Keep(m_handle, ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    return m_durable;
}

bool CRawFile::TakePermissionsOf(const std::string& source) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(static_cast<int>(m_handle), st.st_mode & 0777 & ~mask) == 0;
}

void CRawFile::UseStandardInput() {
    Close();
    m_handle = STDIN_FILENO;
    m_standard = true;
}

void CRawFile::UseStandardOutput() {
    Close();
    m_handle = STDOUT_FILENO;
    m_standard = true;
}

std::ptrdiff_t CRawFile::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_handle), buffer, size);
        if (got >= 0 || errno != EINTR) return got < 0 ? -1 : got;
    }
}

bool CRawFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(static_cast<int>(m_handle), data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            m_pipeClosed = put < 0 && errno == EPIPE;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        m_written += put;
    }
#if defined(__linux__)
    // A file synced when it closes goes to the disk as it is written, a few megabytes at a time, rather than
    // all at once at the end: the sync then waits for the last few only.
    constexpr std::int64_t kSyncStep = 4 << 20;
    if (m_durable && m_written - m_syncStarted >= kSyncStep) {
        ::sync_file_range(static_cast<int>(m_handle), m_syncStarted, m_written - m_syncStarted,
                          SYNC_FILE_RANGE_WRITE);
        m_syncStarted = m_written;
    }
#endif
    return true;
}

bool CRawFile::Rewind() {
    return IsRegular(static_cast<int>(m_handle)) && ::lseek(static_cast<int>(m_handle), 0, SEEK_SET) == 0;
}

std::int64_t CRawFile::Size() const {
    struct stat st {};
    if (::fstat(static_cast<int>(m_handle), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

bool CRawFile::Close() {
    if (m_handle == kInvalid) return true;
    const int fd = static_cast<int>(m_handle);
    m_handle = kInvalid;
    if (m_standard) {
        m_standard = false;
        // Data on a disk must be there; a pipe or a terminal has nothing to flush.
        return !IsRegular(fd) || ::fsync(fd) == 0;
    }
    const bool synced = !m_durable || ::fsync(fd) == 0;
    m_durable = false;
    return ::close(fd) == 0 && synced;
}

}  // namespace platform
