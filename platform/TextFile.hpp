// TextFile.hpp: line reading and writing with the text-mode rules of the classic C runtime.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "RawFile.hpp"

namespace platform {

// Whole lines straight from a reader's buffer: each ends with LF except the last line of the input, which may
// end without one. Valid, and free to change in place, until the reader's next call.
struct LineRun {
    char* data = nullptr;
    std::size_t size = 0;
};

// Reads lines: a line ends at LF and a CR right before the LF is dropped; a 0x1A byte ends the input;
// lines have no length limit (the buffer grows to hold the longest). The file is held with exclusive sharing
// while open.
class CTextReader {
public:
    CTextReader();
    ~CTextReader();

    bool Open(const std::string& gbkPath);
    // Puts the next line, without its terminator, into line (its storage is reused). False, with line empty,
    // at the end of the input or on a read failure; Failed() tells which.
    bool ReadLine(std::string& line);
    // All the whole lines read so far and not yet taken, at least one, terminators and all: a line at a time
    // costs a call and a copy, a run costs neither. False as ReadLine.
    bool ReadLines(LineRun& run);
    bool Failed() const { return m_failed; }
    std::int64_t Length() const { return m_length; }  // the file's length in bytes, 0x1A and all
    void Close();

private:
    bool Take(bool allWholeLines, LineRun& run);
    bool ReadMore();

    struct FreeBuffer {
        void operator()(char* buffer) const;
    };
    CRawFile m_file;
    std::unique_ptr<char, FreeBuffer> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;     // next unread byte in m_buffer
    std::size_t m_searched = 0;  // the unread bytes before this hold no LF
    std::size_t m_end = 0;       // end of the valid bytes in m_buffer
    std::int64_t m_length = 0;
    bool m_atEnd = false;  // no more bytes will come (end of file, 0x1A seen, or a failure)
    bool m_failed = false;
};

// Writes lines, each followed by CR LF. Every failure is remembered: a full disk must not look like success.
class CTextWriter {
public:
    CTextWriter();
    ~CTextWriter();

    bool Create(const std::string& gbkPath);  // creates or truncates
    bool WriteLine(const char* line, std::size_t size);
    bool WriteLine(const std::string& line) { return WriteLine(line.data(), line.size()); }
    bool Failed() const { return m_failed; }
    // Flushes and closes; false if anything written since Create failed to reach the file.
    bool Close();

private:
    bool Put(const char* data, std::size_t size);
    bool Flush();

    CRawFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};

}  // namespace platform
