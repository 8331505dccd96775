// TextFile.cpp: buffered text-mode lines over CRawFile.
#include "TextFile.hpp"

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
constexpr char kEndOfInput = 0x1A;  // Ctrl-Z ends a text-mode stream
}  // namespace

CTextReader::CTextReader()
    : m_buffer(static_cast<char*>(std::malloc(kBufferSize))), m_capacity(m_buffer ? kBufferSize : 0) {}
CTextReader::~CTextReader() { Close(); }

void CTextReader::FreeBuffer::operator()(char* buffer) const { std::free(buffer); }

bool CTextReader::Open(const std::string& gbkPath) {
    Close();
    m_begin = m_searched = m_end = 0;
    m_atEnd = m_failed = false;
    if (!m_file.OpenForReading(gbkPath)) return false;
    m_length = m_file.Size();
    if (m_length < 0) {
        m_file.Close();
        return false;
    }
    return true;
}

void CTextReader::Close() {
    m_file.Close();
    m_atEnd = true;
}

// Appends the file's next bytes to the unread ones, first moving those to the front of the buffer, and
// growing it when they fill it: a line longer than the buffer. False when nothing more will come.
bool CTextReader::ReadMore() {
    if (m_atEnd) return false;
    char* buffer = m_buffer.get();
    if (m_begin > 0) {
        std::memmove(buffer, buffer + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_searched -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_capacity) {
        // realloc rather than new and copy: a C library may grow a large block in place or by remapping it
        // (glibc does) instead of holding it twice while copying. A line too long for memory is a failure to
        // read it, not a crash.
        const std::size_t grown = m_capacity < kBufferSize ? kBufferSize : m_capacity * 2;
        char* bigger = grown > m_capacity ? static_cast<char*>(std::realloc(buffer, grown)) : nullptr;
        if (bigger == nullptr) {
            m_failed = m_atEnd = true;
            return false;
        }
        static_cast<void>(m_buffer.release());  // realloc has freed or moved it
        m_buffer.reset(bigger);
        m_capacity = grown;
        buffer = bigger;
    }
    char* fresh = buffer + m_end;
    std::ptrdiff_t got = m_file.Read(fresh, m_capacity - m_end);
    if (got <= 0) {
        m_failed = got < 0;
        m_atEnd = true;
        return false;
    }
    if (const void* stop = std::memchr(fresh, kEndOfInput, static_cast<std::size_t>(got))) {
        got = static_cast<const char*>(stop) - fresh;
        m_atEnd = true;
    }
    m_end += static_cast<std::size_t>(got);
    return true;
}

// The unread bytes up to and including the first LF, or the last one with allWholeLines, reading on until
// there is one; at the end of the input, the unread rest, which has none.
bool CTextReader::Take(bool allWholeLines, LineRun& run) {
    for (;;) {
        char* data = m_buffer.get();
        const std::size_t fresh = m_end - m_searched;
        if (const void* first = std::memchr(data + m_searched, '\n', fresh)) {
            std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(first) - data) + 1;
            if (allWholeLines) {
                for (std::size_t at = m_end; at > stop; --at) {
                    if (data[at - 1] == '\n') {
                        stop = at;
                        break;
                    }
                }
            }
            run = LineRun{data + m_begin, stop - m_begin};
            m_begin = m_searched = stop;
            return true;
        }
        m_searched = m_end;
        if (!ReadMore()) break;
    }
    // A read failure loses the line it cut short: the caller is told, and must not take the rest as written.
    if (m_failed || m_begin == m_end) return false;
    run = LineRun{m_buffer.get() + m_begin, m_end - m_begin};
    m_begin = m_searched = m_end;
    return true;
}

bool CTextReader::ReadLines(LineRun& run) { return Take(true, run); }

bool CTextReader::ReadLine(std::string& line) {
    LineRun run;
    if (!Take(false, run)) {
        line.clear();
        return false;
    }
    std::size_t size = run.size;
    if (size > 0 && run.data[size - 1] == '\n') {
        --size;
        if (size > 0 && run.data[size - 1] == '\r') --size;
    }
    line.assign(run.data, size);
    return true;
}

CTextWriter::CTextWriter() : m_buffer(new char[kBufferSize]) {}
CTextWriter::~CTextWriter() { Close(); }

bool CTextWriter::Create(const std::string& gbkPath) {
    Close();
    m_used = 0;
    m_failed = false;
    return m_file.CreateForWriting(gbkPath);
}

bool CTextWriter::Put(const char* data, std::size_t size) {
    if (m_failed) return false;
    if (m_used + size > kBufferSize) {
        if (!Flush()) return false;
        if (size > kBufferSize) {
            m_failed = !m_file.Write(data, size);
            return !m_failed;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, size);
    m_used += size;
    return true;
}

bool CTextWriter::Flush() {
    if (m_used > 0 && !m_failed) m_failed = !m_file.Write(m_buffer.get(), m_used);
    m_used = 0;
    return !m_failed;
}

bool CTextWriter::WriteLine(const char* line, std::size_t size) { return Put(line, size) && Put("\r\n", 2); }

bool CTextWriter::Close() {
    if (!m_file.IsOpen()) return !m_failed;
    Flush();
    if (!m_file.Close()) m_failed = true;
    return !m_failed;
}

}  // namespace platform
