// Transcode.cpp: writing characters in an encoding.
#include "Transcode.hpp"

#include <vector>

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
        case TextEncoding::Big5: {
            const std::uint16_t code = big5::Codec().Encode(cp);
            if (code == big5::kNoCode) return false;
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

namespace {

// The byte ToPivot escaped at p[0, 3), or -1.
int EscapedByte(const unsigned char* p, std::size_t n) {
    if (n < 3 || p[0] != 0xED || (p[1] & 0xFC) != 0xB0 || (p[2] & 0xC0) != 0x80) return -1;
    return (p[1] & 0x03) << 6 | (p[2] & 0x3F);
}

}  // namespace

bool TranscodeLine(TextEncoding from, const char* data, std::size_t size, TextEncoding to, std::string& out,
                   Unwritable& unwritable, TextEncoding escapedFrom) {
    out.clear();
    std::size_t column = 0;
    bool written = true;
    std::size_t skip = 0;  // bytes of an escape already taken
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    ForEachCodePoint(from, data, size, [&](std::size_t offset, std::size_t, char32_t cp) {
        if (skip > 0) {
            --skip;
            return;
        }
        ++column;
        if (!written) return;
        const int escaped = from == TextEncoding::Utf8 ? EscapedByte(p + offset, size - offset) : -1;
        if (escaped >= 0) {
            skip = 2;
            if (to == escapedFrom && escapedFrom != TextEncoding::Utf8) {
                out += static_cast<char>(escaped);
                return;
            }
            written = false;
            unwritable = Unwritable{column, kNotACharacter, static_cast<unsigned char>(escaped)};
            return;
        }
        if (cp != kNotACharacter && AppendCodePoint(out, cp, to)) return;
        written = false;
        unwritable = Unwritable{column, cp, p[offset]};
    });
    return written;
}

void ToPivot(TextEncoding from, const char* data, std::size_t size, std::string& utf8Text) {
    utf8Text.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    ForEachCodePoint(from, data, size, [&](std::size_t offset, std::size_t width, char32_t cp) {
        if (cp != kNotACharacter) return utf8::Append(utf8Text, cp);
        for (std::size_t k = 0; k < width; ++k) {
            const unsigned b = p[offset + k];
            utf8Text += '\xED';
            utf8Text += static_cast<char>(0xB0 | b >> 6);
            utf8Text += static_cast<char>(0x80 | (b & 0x3F));
        }
    });
}

bool Big5AsGbk(char* data, std::size_t& size) {
    // The GBK code of every Big5 code, 0 for none: one look-up a character.
    static const std::vector<std::uint16_t> gbkOf = [] {
        std::vector<std::uint16_t> table(0x10000, 0);
        const big5::CCodec& big5Codec = big5::Codec();
        const gbk::CCodec& gbkCodec = gbk::Codec();
        for (unsigned code = 0; code < 0x10000; ++code) {
            if (code >= 0x80 && code < 0x100) continue;  // no lone byte above ASCII is a character of both
            const char32_t cp = big5Codec.Decode(static_cast<std::uint16_t>(code));
            if (cp == big5::kNoCharacter || cp >= 0x10000) continue;
            const std::uint16_t gbkCode = gbkCodec.Encode(cp);
            if (gbkCode != gbk::kNoCode && (code < 0x80) == (gbkCode < 0x80)) table[code] = gbkCode;
        }
        table[0] = 0;  // NUL is itself below
        return table;
    }();
    auto* p = reinterpret_cast<unsigned char*>(data);
    const std::uint16_t* table = gbkOf.data();
    // Written over the text as it is read: a GBK character is never longer than its Big5 one. A lead byte
    // with a byte that is no trail, or a code either side leaves empty, reads 0 in the table.
    std::size_t o = 0;
    std::size_t i = 0;
    while (i + 1 < size) {
        const unsigned b = p[i];
        if (b < 0x80) {
            p[o++] = static_cast<unsigned char>(b);
            ++i;
            continue;
        }
        const std::uint16_t code = table[b << 8 | p[i + 1]];
        if (code == 0) return false;
        if (code >= 0x100) p[o++] = static_cast<unsigned char>(code >> 8);
        p[o++] = static_cast<unsigned char>(code);
        i += 2;
    }
    if (i < size) {
        if (p[i] >= 0x80) return false;
        p[o++] = p[i];
    }
    size = o;
    return true;
}

}  // namespace text
