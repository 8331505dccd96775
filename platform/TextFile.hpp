// TextFile.hpp: line reading and writing with the text-mode rules of the classic C runtime.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "RawFile.hpp"

namespace platform {

// Reads lines: a line ends at LF and a CR right before the LF is dropped; a 0x1A byte ends the input;
// lines have no length limit. The file is held with exclusive sharing while open.
class CTextReader {
public:
    CTextReader();
    ~CTextReader();

    bool Open(const std::string& gbkPath);
    // Puts the next line, without its terminator, into line (its storage is reused). False at the end of the
    // input or on a read failure; Failed() tells which.
    bool ReadLine(std::string& line);
    bool Failed() const { return m_failed; }
    std::int64_t Length() const { return m_length; }  // the file's length in bytes, 0x1A and all
    void Close();

private:
    bool Fill();

    CRawFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_begin = 0;  // next unread byte in m_buffer
    std::size_t m_end = 0;    // end of the valid bytes in m_buffer
    std::int64_t m_length = 0;
    bool m_atEnd = false;  // no more bytes will come (end of file or 0x1A seen)
    bool m_failed = false;
};

// Writes lines, each followed by CR LF. Every failure is remembered: a full disk must not look like success.
class CTextWriter {
public:
    CTextWriter();
    ~CTextWriter();

    bool Create(const std::string& gbkPath);  // creates or truncates
    bool WriteLine(const std::string& line);
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
