// RawFile.hpp: the few byte-level file operations the text files need, one backend per system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class CRawFile {
  public:
    CRawFile() = default;
    ~CRawFile() { Close(); }
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    // All open with exclusive sharing where the system has it: nobody else may hold the file meanwhile. Paths
    // are UTF-8; a directory is never opened.
    bool OpenForReading(const std::string& path);
    bool CreateForWriting(const std::string& path);  // creates or truncates
    // Creates a file that does not exist yet; fails if the name is taken by anything, a link included, so
    // what is written goes to this new file and nowhere else. Others may delete it meanwhile, nothing else.
    // Such a file is an output that will take another's name: Close puts its data on the disk first, through
    // this handle.
    bool CreateNew(const std::string& path);
    // The process's standard input or output (a pipe, a terminal or a redirected file), not closed by Close.
    void UseStandardInput();
    void UseStandardOutput();

    // Gives this file the permission bits of the file at source, less those the process's umask takes away
    // (POSIX; Windows files inherit their folder's security). False when either cannot be reached.
    bool TakePermissionsOf(const std::string& source);

    // Returns the bytes read, 0 at the end; -1 on failure.
    std::ptrdiff_t Read(char* buffer, std::size_t size);
    bool Write(const char* data, std::size_t size);
    // Back to the first byte; false where the file cannot go back (a pipe).
    bool Rewind();
    std::int64_t Size() const;  // -1 when unknown (a pipe)
    bool IsOpen() const { return m_handle != kInvalid; }
    // A write failed because the reading end of a pipe was closed: nobody wants more, no disk is full.
    bool PipeClosed() const { return m_pipeClosed; }
    bool Close();  // false when the system reports a failure (data may not have reached the disk)

  private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t m_handle = kInvalid;  // a HANDLE or a file descriptor
    bool m_standard = false;            // a standard stream: left open
    bool m_pipeClosed = false;
    bool m_durable = false;          // made by CreateNew: synced before it closes
    std::int64_t m_written = 0;      // bytes written since it was opened
    std::int64_t m_syncStarted = 0;  // the bytes before this are on their way to the disk
};

}  // namespace platform
