// Transcode.hpp: text of one encoding read as Unicode characters and written in another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Big5Codec.hpp"
#include "GbkCodec.hpp"
#include "TextEncoding.hpp"
#include "Utf8.hpp"

namespace text {

// What ForEachCodePoint gives for bytes or units that are no character of the encoding.
constexpr char32_t kNotACharacter = 0xFFFFFFFF;

// Calls take(offset, width, cp) for every character of data[0, size) in `encoding`, in order; cp is
// kNotACharacter for a byte (a unit in UTF-16) that does not decode, which comes alone. In GBK a lead byte
// and the byte after it are one code even when GBK leaves it empty; in Big5 only when the byte after it is a
// trail byte (40 to 7E, A1 to FE), so that a lone lead byte never swallows a line end. A UTF-16 text of odd
// size ends in a byte that comes alone, as no character.
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
        case TextEncoding::Big5: {
            const big5::CCodec& codec = big5::Codec();
            for (std::size_t i = 0; i < size;) {
                const bool pair = big5::IsLeadByte(p[i]) && i + 1 < size && big5::IsTrailByte(p[i + 1]);
                const char32_t cp =
                    codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
                take(i, std::size_t{pair ? 2u : 1u}, cp == big5::kNoCharacter ? kNotACharacter : cp);
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
// bytes that are no character), described in unwritable. Read as UTF-8 (from Utf8), a byte that ToPivot
// escaped is written as the byte it was when `to` is escapedFrom, the encoding it came from, and is a byte
// that is no character otherwise.
bool TranscodeLine(TextEncoding from, const char* data, std::size_t size, TextEncoding to, std::string& out,
                   Unwritable& unwritable, TextEncoding escapedFrom = TextEncoding::Utf8);

// A line of a legacy encoding (Big5) written in UTF-8, for converting it as UTF-8 and writing it in the end
// in any encoding: each byte of what does not decode becomes the lone surrogate U+DC00 + byte, written as
// UTF-8 would write it (ED B0 80 to ED B3 BF), which is no UTF-8: conversion passes its bytes unchanged, and
// TranscodeLine turns it back into its byte, or refuses it for another encoding.
void ToPivot(TextEncoding from, const char* data, std::size_t size, std::string& utf8Text);

// Big5 text written in GBK in place, each character as the same character, size becoming the new size; false
// where a byte sequence is no Big5 character or GBK does not hold it, and then the text is no longer what it
// was: keep a copy. ASCII, line ends included, stays as it is.
bool Big5AsGbk(char* data, std::size_t& size);

}  // namespace text
