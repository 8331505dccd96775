// Transcode.hpp: text of one encoding read as Unicode characters and written in another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "GbkCodec.hpp"
#include "TextEncoding.hpp"
#include "Utf8.hpp"

namespace text {

// What ForEachCodePoint gives for bytes or units that are no character of the encoding.
constexpr char32_t kNotACharacter = 0xFFFFFFFF;

// Calls take(offset, width, cp) for every character of data[0, size) in `encoding`, in order; cp is
// kNotACharacter for a byte (a unit in UTF-16) that does not decode, which comes alone. In GBK a lead byte
// and the byte after it are one code even when GBK leaves it empty. A UTF-16 text of odd size ends in a byte
// that comes alone, as no character.
template <class Take>
void ForEachCodePoint(TextEncoding encoding, const char* data, std::size_t size, Take&& take) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    switch (encoding) {
        case TextEncoding::Gbk: {
            const gbk::CCodec& codec = gbk::Codec();
            for (std::size_t i = 0; i < size;) {
                const bool pair = p[i] >= 0x81 && p[i] <= 0xFE && i + 1 < size;
                const char32_t cp =
                    codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
                take(i, std::size_t{pair ? 2u : 1u}, cp == gbk::kNoCharacter ? kNotACharacter : cp);
                i += pair ? 2 : 1;
            }
            return;
        }
        case TextEncoding::Utf8:
            for (std::size_t i = 0; i < size;) {
                char32_t cp = 0;
                const int length = utf8::DecodeOne(p + i, size - i, cp);
                take(i, length > 0 ? static_cast<std::size_t>(length) : 1, length > 0 ? cp : kNotACharacter);
                i += length > 0 ? static_cast<std::size_t>(length) : 1;
            }
            return;
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be: {
            const bool big = encoding == TextEncoding::Utf16Be;
            const auto unitAt = [&](std::size_t i) {
                return static_cast<char32_t>(big ? p[i] << 8 | p[i + 1] : p[i + 1] << 8 | p[i]);
            };
            std::size_t i = 0;
            for (; i + 1 < size;) {
                const char32_t unit = unitAt(i);
                if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < size && unitAt(i + 2) >= 0xDC00 &&
                    unitAt(i + 2) <= 0xDFFF) {
                    take(i, std::size_t{4}, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
                    i += 4;
                    continue;
                }
                take(i, std::size_t{2}, unit >= 0xD800 && unit <= 0xDFFF ? kNotACharacter : unit);
                i += 2;
            }
            if (i < size) take(i, std::size_t{1}, kNotACharacter);
            return;
        }
    }
}

// Appends cp written in `encoding`; false, with nothing appended, when the encoding cannot hold it.
bool AppendCodePoint(std::string& out, char32_t cp, TextEncoding encoding);

// The first character of a text that another encoding cannot hold: its place among the characters of its
// line (from 1) and what it is.
struct Unwritable {
    std::size_t column = 0;
    char32_t character = kNotACharacter;  // kNotACharacter: a byte or unit that was no character at all
    unsigned char byte = 0;               // then its first byte
};

// Writes a line of `from` in `to` into out (replacing it); false at the first character `to` cannot hold (or
// bytes that are no character), described in unwritable.
bool TranscodeLine(TextEncoding from, const char* data, std::size_t size, TextEncoding to, std::string& out,
                   Unwritable& unwritable);

}  // namespace text
