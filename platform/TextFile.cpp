// TextFile.cpp: buffered text-mode lines over CRawFile.
#include "TextFile.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
constexpr char kEndOfInput = 0x1A;  // Ctrl-Z ends a text-mode stream
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
}  // namespace

CTextReader::CTextReader()
    : m_buffer(static_cast<char*>(std::malloc(kBufferSize))), m_capacity(m_buffer ? kBufferSize : 0) {}
CTextReader::~CTextReader() { Close(); }

void CTextReader::FreeBuffer::operator()(char* buffer) const { std::free(buffer); }

// Nothing of an earlier file stays but the buffer.
void CTextReader::Reset() {
    Close();
    m_begin = m_searched = m_end = m_rawEnd = 0;
    m_bufferOffset = m_length = 0;
    m_endMark = -1;
    m_layout = LineLayout();
    m_watch = nullptr;
    m_watchFrom = 0;
    m_atEnd = m_failed = m_outOfMemory = m_seekable = false;
}

bool CTextReader::Rewind() {
    if (!m_seekable || !m_file.Rewind()) return false;
    m_begin = m_searched = m_end = m_rawEnd = 0;
    m_bufferOffset = 0;
    m_endMark = -1;
    m_layout = LineLayout();
    m_watch = nullptr;
    m_watchFrom = 0;
    m_atEnd = m_failed = m_outOfMemory = false;
    return true;
}

bool CTextReader::Open(const std::string& path) {
    Reset();
    if (!m_file.OpenForReading(path)) return false;
    m_length = m_file.Size();
    m_seekable = m_length >= 0;
    if (m_length < 0) m_length = 0;
    return true;
}

void CTextReader::OpenStandardInput() {
    Reset();
    m_file.UseStandardInput();
    m_length = m_file.Size();
    m_seekable = false;  // even when it is a file: its position is not ours to move
    if (m_length < 0) m_length = 0;
}

void CTextReader::Close() {
    m_file.Close();
    m_atEnd = true;
}

bool CTextReader::Grow() {
    // realloc rather than new and copy: a C library may grow a large block in place or by remapping it
    // (glibc does) instead of holding it twice while copying. A line too long for memory is a failure to read
    // it, not a crash.
    const std::size_t grown = m_capacity < kBufferSize ? kBufferSize : m_capacity * 2;
    char* bigger = grown > m_capacity ? static_cast<char*>(std::realloc(m_buffer.get(), grown)) : nullptr;
    if (bigger == nullptr) {
        m_failed = m_atEnd = m_outOfMemory = true;
        return false;
    }
    static_cast<void>(m_buffer.release());  // realloc has freed or moved it
    m_buffer.reset(bigger);
    m_capacity = grown;
    return true;
}

// Appends the file's next bytes to the buffer, as they are, first moving the unread ones to its front and
// growing it when they fill it. False when nothing more will come.
bool CTextReader::ReadRaw() {
    if (m_atEnd) return false;
    char* buffer = m_buffer.get();
    if (m_begin > 0) {
        std::memmove(buffer, buffer + m_begin, m_rawEnd - m_begin);
        m_end -= m_begin;
        m_rawEnd -= m_begin;
        m_searched -= m_begin;
        m_bufferOffset += static_cast<std::int64_t>(m_begin);
        m_begin = 0;
    }
    if (m_rawEnd == m_capacity && !Grow()) return false;
    const std::ptrdiff_t got = m_file.Read(m_buffer.get() + m_rawEnd, m_capacity - m_rawEnd);
    if (got <= 0) {
        m_failed = got < 0;
        m_atEnd = true;
        return false;
    }
    if (m_watch) {
        // After Peek went back to the start, the bytes it already showed come again: the watch sees each
        // byte once, in order.
        const std::int64_t at = m_bufferOffset + static_cast<std::int64_t>(m_rawEnd);
        const std::int64_t skip = std::min<std::int64_t>(std::max<std::int64_t>(m_watchFrom - at, 0), got);
        if (skip < got) {
            m_watch(m_buffer.get() + m_rawEnd + skip, static_cast<std::size_t>(got - skip));
        }
    }
    m_rawEnd += static_cast<std::size_t>(got);
    return true;
}

// The bytes read from `from` on become lines, up to a 0x1A where the layout says it ends the input.
void CTextReader::CutAtEndMark(std::size_t from) {
    m_end = m_rawEnd;
    if (!m_layout.ctrlZEnds || from >= m_end) return;
    if (const void* mark = std::memchr(m_buffer.get() + from, kEndOfInput, m_end - from)) {
        m_end = static_cast<std::size_t>(static_cast<const char*>(mark) - m_buffer.get());
        m_endMark = m_bufferOffset + static_cast<std::int64_t>(m_end);
        m_atEnd = true;
    }
}

bool CTextReader::ReadMore() {
    if (!ReadRaw()) return false;
    CutAtEndMark(m_end);  // the fresh bytes begin where the valid ones ended
    return true;
}

void CTextReader::Peek(const std::function<bool(const char*, std::size_t)>& look) {
    bool dropped = false;  // bytes left the buffer: the file must go back to its start
    std::size_t looked = 0;
    m_watchFrom = 0;
    for (;;) {
        if (looked == m_rawEnd) {
            if (m_rawEnd == m_capacity && m_seekable) {
                m_rawEnd = 0;
                looked = 0;
                dropped = true;
            }
            if (!ReadRaw()) break;
        }
        const bool more = look(m_buffer.get() + looked, m_rawEnd - looked);
        m_watchFrom += static_cast<std::int64_t>(m_rawEnd - looked);
        looked = m_rawEnd;
        if (!more) break;
    }
    if (dropped) {
        m_rawEnd = 0;
        m_bufferOffset = 0;
        m_atEnd = false;
        if (m_failed || !m_file.Rewind()) m_failed = m_atEnd = true;
    }
    m_end = m_rawEnd;
}

void CTextReader::SetLayout(const LineLayout& layout, std::size_t skip) {
    m_layout = layout;
    m_end = m_begin;
    CutAtEndMark(m_begin);
    while (m_end - m_begin < skip && ReadMore()) {
    }
    m_begin += m_end - m_begin < skip ? m_end - m_begin : skip;
    m_searched = m_begin;
}

// Just past the first line end in [from, to), or the last one with `last`; kNone when there is none.
std::size_t CTextReader::FindLineEnd(std::size_t from, std::size_t to, bool last) const {
    const char* data = m_buffer.get();
    if (m_layout.unitSize == 1) {
        const void* first = std::memchr(data + from, '\n', to - from);
        if (first == nullptr) return kNone;
        const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(first) - data) + 1;
        if (last) {
            for (std::size_t at = to; at > stop; --at) {
                if (data[at - 1] == '\n') return at;
            }
        }
        return stop;
    }
    // Units of two bytes, counted from m_begin, which is always where one begins.
    const char low = m_layout.bigEndian ? '\0' : '\n';
    const char high = m_layout.bigEndian ? '\n' : '\0';
    const std::size_t units = (to - from) / 2;
    if (last) {
        for (std::size_t k = units; k > 0; --k) {
            const std::size_t at = from + 2 * (k - 1);
            if (data[at] == low && data[at + 1] == high) return at + 2;
        }
        return kNone;
    }
    for (std::size_t k = 0; k < units; ++k) {
        const std::size_t at = from + 2 * k;
        if (data[at] == low && data[at + 1] == high) return at + 2;
    }
    return kNone;
}

// The unread bytes up to and including the first line end, or the last one with allWholeLines, reading on
// until there is one; at the end of the input, the unread rest, which has none.
bool CTextReader::Take(bool allWholeLines, LineRun& run) {
    for (;;) {
        const std::size_t stop = FindLineEnd(m_searched, m_end, allWholeLines);
        if (stop != kNone) {
            run = LineRun{m_buffer.get() + m_begin, stop - m_begin};
            m_begin = m_searched = stop;
            return true;
        }
        // A unit cut in two by the end of what was read is searched again once it is whole.
        m_searched = m_begin + (m_end - m_begin) / m_layout.unitSize * m_layout.unitSize;
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

std::int64_t CTextReader::BytesAfterEndMark() {
    if (m_endMark < 0) return 0;
    if (m_seekable) return m_length - m_endMark - 1;
    std::int64_t after = m_bufferOffset + static_cast<std::int64_t>(m_rawEnd) - m_endMark - 1;
    m_atEnd = false;
    for (m_begin = m_end = m_searched = m_rawEnd; ReadRaw(); m_begin = m_end = m_searched = m_rawEnd) {
        after += static_cast<std::int64_t>(m_rawEnd - m_begin);
    }
    return after;
}

CTextWriter::CTextWriter() : m_buffer(new char[kBufferSize]) {}
CTextWriter::~CTextWriter() { Close(); }

bool CTextWriter::Start() {
    m_used = 0;
    m_written = 0;
    m_failed = false;
    m_lineBreak = "\r\n";
    return true;
}

bool CTextWriter::Create(const std::string& path) {
    Close();
    Start();
    return m_file.CreateForWriting(path);
}

bool CTextWriter::CreateNew(const std::string& path) {
    Close();
    Start();
    return m_file.CreateNew(path);
}

void CTextWriter::UseStandardOutput() {
    Close();
    Start();
    m_file.UseStandardOutput();
}

void CTextWriter::SetLineBreak(const LineLayout& layout) {
    if (layout.unitSize == 1) {
        m_lineBreak = "\r\n";
    } else {
        m_lineBreak = layout.bigEndian ? std::string("\0\r\0\n", 4) : std::string("\r\0\n\0", 4);
    }
}

bool CTextWriter::Write(const char* data, std::size_t size) {
    if (m_failed) return false;
    if (m_used + size > kBufferSize) {
        if (!Flush()) return false;
        if (size > kBufferSize) {
            m_failed = !m_file.Write(data, size);
            if (!m_failed) m_written += static_cast<std::int64_t>(size);
            return !m_failed;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, size);
    m_used += size;
    return true;
}

bool CTextWriter::Flush() {
    if (m_used > 0 && !m_failed) {
        m_failed = !m_file.Write(m_buffer.get(), m_used);
        if (!m_failed) m_written += static_cast<std::int64_t>(m_used);
    }
    m_used = 0;
    return !m_failed;
}

bool CTextWriter::WriteLine(const char* line, std::size_t size) {
    return Write(line, size) && Write(m_lineBreak.data(), m_lineBreak.size());
}

#if defined(__SSE2__)
namespace {

// Copies run[begin, end) to out with a CR put before every LF that has none, counting the LFs and the CRs
// that were there, and returns the end of what it wrote. 16 bytes at a time: a block without LF is one load
// and one store. Reads up to 16 bytes past end and writes up to 16 bytes past what it returns.
char* ExpandLineFeeds(const char* run, std::size_t begin, std::size_t end, char* out, std::size_t& lineFeeds,
                      std::size_t& crLfs) {
    const __m128i lf = _mm_set1_epi8('\n');
    const auto load = [run](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + at));
    };
    for (std::size_t i = begin; i < end; i += 16) {
        unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(load(i), lf)));
        if (end - i < 16) feeds &= (1u << (end - i)) - 1;
        std::size_t piece = i;  // the first byte of the block not copied yet
        for (; feeds != 0; feeds &= feeds - 1) {
            const std::size_t at = i + static_cast<unsigned>(__builtin_ctz(feeds));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), load(piece));
            out += at - piece;
            const bool hasCr = at > 0 && run[at - 1] == '\r';
            crLfs += hasCr ? 1 : 0;
            *out = '\r';
            out += hasCr ? 0 : 1;
            *out++ = '\n';
            ++lineFeeds;
            piece = at + 1;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), load(piece));
        out += (end - i < 16 ? end : i + 16) - piece;
    }
    return out;
}

}  // namespace

// One-byte units the fast way, in pieces that fit the buffer with room for the stores past their end; the
// last bytes of the run, which the block loads must not read past, the careful way.
bool CTextWriter::WriteByteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine) {
    constexpr std::size_t kPiece = 64 * 1024;
    constexpr std::size_t kSlack = 32;
    std::size_t lineFeeds = 0;
    std::size_t crLfs = 0;
    std::size_t at = 0;
    while (size - at > kSlack) {
        std::size_t piece = std::min(kPiece, size - at - kSlack);
        // A piece never ends between a CR and the LF after it: the LF must see its CR.
        if (run[at + piece - 1] == '\r') --piece;
        if (piece == 0) break;
        if (m_used + 2 * piece + kSlack > kBufferSize && !Flush()) return false;
        if (m_failed) return false;
        m_used = static_cast<std::size_t>(
            ExpandLineFeeds(run, at, at + piece, m_buffer.get() + m_used, lineFeeds, crLfs) - m_buffer.get());
        at += piece;
    }
    lineBytes += static_cast<std::int64_t>(at - lineFeeds - crLfs);
    return WriteUnitLines(run + at, size - at, lineBytes, endsLine);
}
#endif

// The line feed and carriage return of the units are those of the line break, as they lie in memory.
template <class Unit>
bool CTextWriter::WriteUnitLines(const Unit* units, std::size_t count, std::int64_t& lineBytes,
                                 bool endsLine) {
    Unit cr;
    Unit lf;
    std::memcpy(&cr, m_lineBreak.data(), sizeof(Unit));
    std::memcpy(&lf, m_lineBreak.data() + sizeof(Unit), sizeof(Unit));
    const auto bytes = [](const Unit* at) { return reinterpret_cast<const char*>(at); };
    const std::size_t breakSize = m_lineBreak.size();
    std::size_t piece = 0;  // the first unit not written yet
    std::size_t at = 0;
    while (at < count) {
        std::size_t end = at;
        if constexpr (sizeof(Unit) == 1) {
            const void* found = std::memchr(units + at, lf, count - at);
            end = found ? static_cast<std::size_t>(static_cast<const Unit*>(found) - units) : count;
        } else {
            while (end < count && units[end] != lf) ++end;
        }
        if (end == count && !endsLine) {  // the line goes on in the next call
            lineBytes += static_cast<std::int64_t>((count - at) * sizeof(Unit));
            break;
        }
        const bool crLf = end < count && end > at && units[end - 1] == cr;
        lineBytes += static_cast<std::int64_t>((end - at - (crLf ? 1 : 0)) * sizeof(Unit));
        // A line that ends in CR LF already is written as it is, with the lines around it; otherwise what
        // came before goes out, and CR LF in place of its LF. Short pieces go straight into the buffer.
        if (!crLf) {
            const std::size_t size = (end - piece) * sizeof(Unit);
            if (m_used + size + breakSize <= kBufferSize && !m_failed) {
                std::memcpy(m_buffer.get() + m_used, bytes(units + piece), size);
                std::memcpy(m_buffer.get() + m_used + size, m_lineBreak.data(), breakSize);
                m_used += size + breakSize;
            } else if (!Write(bytes(units + piece), size) || !Write(m_lineBreak.data(), breakSize)) {
                return false;
            }
            piece = end < count ? end + 1 : count;
        }
        at = end < count ? end + 1 : count;
    }
    return Write(bytes(units + piece), (count - piece) * sizeof(Unit));
}

bool CTextWriter::WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine) {
#if defined(__SSE2__)
    if (m_lineBreak.size() == 2) return WriteByteLines(run, size, lineBytes, endsLine);
#endif
    return WriteUnitLines(run, size, lineBytes, endsLine);
}

bool CTextWriter::WriteLines(const char16_t* units, std::size_t count, std::int64_t& lineBytes,
                             bool endsLine) {
    return WriteUnitLines(units, count, lineBytes, endsLine);
}

bool CTextWriter::Close() {
    if (!m_file.IsOpen()) return !m_failed;
    Flush();
    if (!m_file.Close()) m_failed = true;
    return !m_failed;
}

}  // namespace platform
