// EncodingDetection.hpp: which encoding a text file is in: GBK, UTF-8, UTF-16LE or UTF-16BE. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TextEncoding { Gbk, Utf8, Utf16Le, Utf16Be };

struct EncodingGuess {
    TextEncoding encoding = TextEncoding::Gbk;
    std::size_t bomSize = 0;  // bytes of the byte order mark at the start (0, 2 or 3)
};

// The name users know an encoding by: "GBK", "UTF-8", "UTF-16LE", "UTF-16BE".
const char* EncodingName(TextEncoding encoding);

// Incremental: a file is fed in chunks of any size, in order; any chunking gives the same answer.
class CEncodingDetector {
  public:
    void Feed(const char* data, std::size_t size);
    // True once more bytes cannot change the answer (a byte order mark, or bytes that are not UTF-8).
    bool Settled() const;
    EncodingGuess Finish();

  private:
    unsigned char m_start[3] = {};
    std::size_t m_seen = 0;
    unsigned char m_pending[4] = {};
    std::size_t m_pendingSize = 0;
    bool m_invalid = false;
    bool m_nonAscii = false;
};

EncodingGuess DetectEncoding(const char* data, std::size_t size);
