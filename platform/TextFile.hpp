// TextFile.hpp: line reading and writing with the text-mode rules of the classic C runtime.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "RawFile.hpp"

namespace platform {

// Whole lines straight from a reader's buffer: each ends with its line feed except the last line of the
// input, which may end without one. Valid, and free to change in place, until the reader's next call.
struct LineRun {
    char* data = nullptr;
    std::size_t size = 0;
};

// How lines are found in the bytes: the code units they are made of and whether a 0x1A byte ends the input.
// GBK and UTF-8 text have units of one byte; UTF-16 text units of two, in either byte order, where a line
// ends at the unit 0x000A and a 0x1A byte is part of ordinary characters.
struct LineLayout {
    int unitSize = 1;
    bool bigEndian = false;
    bool ctrlZEnds = true;
};

// Reads lines: a line ends at LF and a CR right before the LF is dropped; with the default layout a 0x1A byte
// ends the input; lines have no length limit (the buffer grows to hold the longest). The file is held with
// exclusive sharing while open.
class CTextReader {
  public:
    CTextReader();
    ~CTextReader();

    bool Open(const std::string& path);
    void OpenStandardInput();
    // Before any line is read: hands the input's first bytes, as they are (no 0x1A ends them), to look(data,
    // size) chunk after chunk until it returns false or the input ends. The lines are then read from the
    // start again; bytes already in the buffer are not read twice, and beyond the buffer a file goes back to
    // its start rather than holding everything (input that cannot go back, a pipe, is held).
    void Peek(const std::function<bool(const char*, std::size_t)>& look);
    // Sets the layout of the lines; then the first `skip` bytes (a byte order mark) are passed over.
    void SetLayout(const LineLayout& layout, std::size_t skip = 0);
    // Whether Peek saw the whole input.
    bool PeekedToTheEnd() const { return m_atEnd; }
    // A file can go back to its start (Rewind); a pipe cannot.
    bool CanRewind() const { return m_seekable; }
    // From now on watch(data, size) sees every byte read after those Peek looked at, before any line holding
    // it is handed out (and so before the caller changes it in place).
    void Watch(std::function<void(const char*, std::size_t)> watch) { m_watch = std::move(watch); }
    // Back to the first byte, as just opened: no lines read, the default layout.
    bool Rewind();

    // Puts the next line, without its terminator, into line (its storage is reused). False, with line empty,
    // at the end of the input or on a read failure; Failed() tells which. One-byte units only.
    bool ReadLine(std::string& line);
    // All the whole lines read so far and not yet taken, at least one, terminators and all: a line at a time
    // costs a call and a copy, a run costs neither. False as ReadLine. With two-byte units a run begins on an
    // even offset of the buffer; the input's last run may end in an odd byte.
    bool ReadLines(LineRun& run);
    bool Failed() const { return m_failed; }
    // The failure was a line too long for the memory left, not the file.
    bool OutOfMemory() const { return m_outOfMemory; }
    std::int64_t Length() const {
        return m_length;
    }  // the file's length in bytes, 0x1A and all; 0 if unknown
    // Where a 0x1A byte ended the input (its offset in the file), or -1.
    std::int64_t EndMarkOffset() const { return m_endMark; }
    // The bytes after that 0x1A byte: counted from the length, or read to the end where it is unknown.
    std::int64_t BytesAfterEndMark();
    void Close();

  private:
    void Reset();
    bool Take(bool allWholeLines, LineRun& run);
    std::size_t FindLineEnd(std::size_t from, std::size_t to, bool last) const;
    bool ReadMore();
    bool ReadRaw();
    void CutAtEndMark(std::size_t from);
    bool Grow();

    struct FreeBuffer {
        void operator()(char* buffer) const;
    };
    CRawFile m_file;
    std::unique_ptr<char, FreeBuffer> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;          // next unread byte in m_buffer
    std::size_t m_searched = 0;       // the unread bytes before this hold no line end
    std::size_t m_end = 0;            // end of the valid bytes in m_buffer
    std::size_t m_rawEnd = 0;         // end of the bytes read into m_buffer (beyond m_end after a 0x1A)
    std::int64_t m_bufferOffset = 0;  // the file offset of m_buffer[0]
    std::int64_t m_length = 0;
    std::int64_t m_endMark = -1;
    LineLayout m_layout;
    std::function<void(const char*, std::size_t)> m_watch;
    std::int64_t m_watchFrom = 0;  // the file offset past the bytes Peek looked at: the watch starts there
    bool m_atEnd = false;          // no more bytes will come (end of file, 0x1A seen, or a failure)
    bool m_failed = false;
    bool m_outOfMemory = false;
    bool m_seekable = false;  // a file that can go back to its start
};

// Writes lines, each followed by CR LF (in the writer's units). Every failure is remembered: a full disk must
// not look like success.
class CTextWriter {
  public:
    CTextWriter();
    ~CTextWriter();

    bool Create(const std::string& path);  // creates or truncates
    // Creates a new file, failing if the name is taken: the file written is the one created, nothing that
    // appears under its name meanwhile.
    bool CreateNew(const std::string& path);
    void UseStandardOutput();
    // A private source makes a private output: the file takes source's permission bits (POSIX).
    bool TakePermissionsOf(const std::string& source) { return m_file.TakePermissionsOf(source); }
    // CR LF in the units of a layout: two bytes, or four for UTF-16 in its byte order.
    void SetLineBreak(const LineLayout& layout);

    bool WriteLine(const char* line, std::size_t size);
    bool WriteLine(const std::string& line) { return WriteLine(line.data(), line.size()); }
    // Writes a run of whole lines as the reader hands them out (each ends with LF, a CR right before it being
    // part of its terminator; the last may lack one), each line with CR LF as WriteLine would, in as few
    // copies as the line ends allow. Adds the bytes of the lines without their terminators to lineBytes.
    // endsLine false: the last line, which lacks its LF, goes on in the next call (no CR LF after it).
    bool WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine = true);
    // The same for UTF-16 units, in the byte order of the line break (SetLineBreak).
    bool WriteLines(const char16_t* units, std::size_t count, std::int64_t& lineBytes, bool endsLine = true);
    bool Write(const char* data, std::size_t size);  // bytes as they are: a byte order mark
    bool Failed() const { return m_failed; }
    // The bytes that reached the file (or standard output) so far: what cannot be taken back from a stream.
    std::int64_t BytesWritten() const { return m_written; }
    // A write failed because the reader of a pipe had gone.
    bool PipeClosed() const { return m_file.PipeClosed(); }
    // Flushes and closes; false if anything written since Create failed to reach the file.
    bool Close();

  private:
    bool Start();
    bool Flush();
    template <class Unit>
    bool WriteUnitLines(const Unit* units, std::size_t count, std::int64_t& lineBytes, bool endsLine);
    bool WriteByteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine);

    CRawFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    std::int64_t m_written = 0;
    std::string m_lineBreak = "\r\n";
    bool m_failed = false;
};

}  // namespace platform
