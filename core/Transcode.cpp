// Transcode.cpp: writing characters in an encoding.
#include "Transcode.hpp"

namespace text {

bool AppendCodePoint(std::string& out, char32_t cp, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk: {
            const std::uint16_t code = cp < 0x10000 ? gbk::Codec().Encode(cp) : gbk::kNoCode;
            if (code == gbk::kNoCode) return false;
            if (code >= 0x100) out += static_cast<char>(code >> 8);
            out += static_cast<char>(code);
            return true;
        }
        case TextEncoding::Utf8:
            utf8::Append(out, cp);
            return true;
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            break;
    }
    const bool big = encoding == TextEncoding::Utf16Be;
    const auto unit = [&](char32_t u) {
        out += static_cast<char>(big ? u >> 8 : u & 0xFF);
        out += static_cast<char>(big ? u & 0xFF : u >> 8);
    };
    if (cp >= 0x10000) {
        unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        unit(cp);
    }
    return true;
}

bool TranscodeLine(TextEncoding from, const char* data, std::size_t size, TextEncoding to, std::string& out,
                   Unwritable& unwritable) {
    out.clear();
    std::size_t column = 0;
    bool written = true;
    ForEachCodePoint(from, data, size, [&](std::size_t offset, std::size_t, char32_t cp) {
        ++column;
        if (!written) return;
        if (cp != kNotACharacter && AppendCodePoint(out, cp, to)) return;
        written = false;
        unwritable.column = column;
        unwritable.character = cp;
        unwritable.byte = static_cast<unsigned char>(data[offset]);
    });
    return written;
}

}  // namespace text
