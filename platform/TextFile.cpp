// TextFile.cpp: buffered text-mode lines over CRawFile.
#include "TextFile.hpp"

#include <cstring>

namespace platform {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
constexpr char kEndOfInput = 0x1A;  // Ctrl-Z ends a text-mode stream
}  // namespace

CTextReader::CTextReader() : m_buffer(new char[kBufferSize]) {}
CTextReader::~CTextReader() { Close(); }

bool CTextReader::Open(const std::string& gbkPath) {
    Close();
    m_begin = m_end = 0;
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

bool CTextReader::Fill() {
    if (m_atEnd) return false;
    const std::ptrdiff_t got = m_file.Read(m_buffer.get(), kBufferSize);
    m_begin = 0;
    m_end = 0;
    if (got <= 0) {
        m_failed = got < 0;
        m_atEnd = true;
        return false;
    }
    m_end = static_cast<std::size_t>(got);
    if (const void* stop = std::memchr(m_buffer.get(), kEndOfInput, m_end)) {
        m_end = static_cast<std::size_t>(static_cast<const char*>(stop) - m_buffer.get());
        m_atEnd = true;
    }
    return true;
}

bool CTextReader::ReadLine(std::string& line) {
    line.clear();
    bool any = false;  // whether this line has begun: a last line without terminator still counts
    for (;;) {
        if (m_begin == m_end && !Fill() && m_begin == m_end) {
            return any && !m_failed;
        }
        const char* start = m_buffer.get() + m_begin;
        const std::size_t avail = m_end - m_begin;
        any = any || avail > 0;
        if (const void* lf = std::memchr(start, '\n', avail)) {
            const std::size_t take = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
            line.append(start, take);
            m_begin += take + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        line.append(start, avail);
        m_begin = m_end;
    }
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

bool CTextWriter::WriteLine(const std::string& line) { return Put(line.data(), line.size()) && Put("\r\n", 2); }

bool CTextWriter::Close() {
    if (!m_file.IsOpen()) return !m_failed;
    Flush();
    if (!m_file.Close()) m_failed = true;
    return !m_failed;
}

}  // namespace platform
