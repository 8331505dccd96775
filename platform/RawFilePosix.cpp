// RawFilePosix.cpp: the POSIX backend of CRawFile (the native build and the command-line converter).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "RawFile.hpp"

namespace platform {

bool CRawFile::OpenForReading(const std::string& gbkPath) {
    Close();
    const int fd = ::open(gbkPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

bool CRawFile::CreateForWriting(const std::string& gbkPath) {
    Close();
    const int fd = ::open(gbkPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    m_handle = fd;
    return true;
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
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

std::int64_t CRawFile::Size() const {
    struct stat st {};
    if (::fstat(static_cast<int>(m_handle), &st) != 0) return -1;
    return st.st_size;
}

bool CRawFile::Close() {
    if (m_handle == kInvalid) return true;
    const bool ok = ::close(static_cast<int>(m_handle)) == 0;
    m_handle = kInvalid;
    return ok;
}

}  // namespace platform
