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

    // Both open with exclusive sharing where the system has it: nobody else may hold the file meanwhile.
    // gbkPath is GBK bytes; a directory is never opened.
    bool OpenForReading(const std::string& gbkPath);
    bool CreateForWriting(const std::string& gbkPath);  // creates or truncates

    // Returns the bytes read, 0 at the end; -1 on failure.
    std::ptrdiff_t Read(char* buffer, std::size_t size);
    bool Write(const char* data, std::size_t size);
    std::int64_t Size() const;  // -1 when unknown
    bool IsOpen() const { return m_handle != kInvalid; }
    bool Close();  // false when the system reports a failure (data may not have reached the disk)

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t m_handle = kInvalid;  // a HANDLE or a file descriptor
};

}  // namespace platform
