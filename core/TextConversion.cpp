// TextConversion.cpp: GBK, UTF-8 and UTF-16 text through the one conversion.
#include "TextConversion.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "Big5Codec.hpp"
#include "CharStarts.hpp"
#include "ConversionChain.hpp"
#include "ConversionIndex.hpp"
#include "ConvertText.hpp"
#include "ConvertWords.hpp"
#include "DescriptionSequences.hpp"
#include "Gbk.hpp"
#include "GbkCodec.hpp"
#include "Parallel.hpp"
#include "PhraseIndex.hpp"
#include "TextStretches.hpp"
#include "UserPairs.hpp"
#include "Utf8.hpp"

namespace {

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// Byte k of four loaded from memory, whatever the host's byte order.
inline unsigned ByteOf(std::uint32_t loaded, int k) {
    unsigned char bytes[4];
    std::memcpy(bytes, &loaded, 4);
    return bytes[k];
}

char16_t Swap(char16_t unit) { return static_cast<char16_t>(unit >> 8 | unit << 8); }

bool HostIsBigEndian() {
    const char16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 0;
}

// A character GBK holds, in an encoding; false, with nothing appended, when Big5 does not hold it. Every one
// is below U+10000: one UTF-16 unit.
bool AppendCharacter(std::string& out, char32_t cp, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk:
            text::AppendGbkCode(out, gbk::Codec().Encode(cp));
            return true;
        case TextEncoding::Big5: {
            const std::uint16_t code = big5::Codec().Encode(cp);
            if (code == big5::kNoCode) return false;
            text::AppendGbkCode(out, code);  // a two-byte code is written as GBK's are
            return true;
        }
        case TextEncoding::Utf8:
            utf8::Append(out, cp);
            return true;
        case TextEncoding::Utf16Le:
            out += static_cast<char>(cp & 0xFF);
            out += static_cast<char>(cp >> 8);
            return true;
        case TextEncoding::Utf16Be:
            out += static_cast<char>(cp >> 8);
            out += static_cast<char>(cp & 0xFF);
            return true;
    }
    return false;
}

void WriteUtf8(unsigned char* p, char32_t cp, int length) {
    if (length == 2) {
        p[0] = static_cast<unsigned char>(0xC0 | cp >> 6);
        p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else {
        p[0] = static_cast<unsigned char>(0xE0 | cp >> 12);
        p[1] = static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F));
        p[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    }
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

// Whether the codec writes ASCII as itself, as every GBK codec does; the window paths below rely on it.
bool AsciiIsItself() {
    static const bool itself = [] {
        const gbk::CCodec& codec = gbk::Codec();
        for (char32_t b = 0; b < 0x80; ++b) {
            if (codec.Encode(b) != b || codec.Decode(static_cast<std::uint16_t>(b)) != b) return false;
        }
        return true;
    }();
    return itself;
}

// The ASCII bytes q[from, to), from <= to, written at o + w, w moved past them: 16 bytes at a time, and
// always once, as most runs between two characters are shorter (a store costs less than a branch that
// text decides); the bytes past them are written over next or cut off at the end, so q must have 16 bytes
// past `from` and past `to`, and o room for them.
inline void CopyAscii(const unsigned char* q, std::size_t from, std::size_t to, unsigned char* o,
                      std::size_t& w) {
    std::memcpy(o + w, q + from, 16);
    for (std::size_t at = from + 16; at < to; at += 16) std::memcpy(o + w + (at - from), q + at, 16);
    w += to - from;
}

// Per code point below U+10000, its GBK code of two bytes as a little-endian host stores them; 0 for a
// character that GBK does not hold or holds in one byte.
const std::vector<std::uint16_t>& GbkPairsOfCodePoints() {
    static const std::vector<std::uint16_t> table = [] {
        const gbk::CCodec& codec = gbk::Codec();
        std::vector<std::uint16_t> gbkOf(0x10000, 0);
        for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
            const std::uint16_t code = codec.Encode(cp);
            if (code != gbk::kNoCode && code > 0xFF)
                gbkOf[cp] = static_cast<std::uint16_t>(code >> 8 | (code & 0xFF) << 8);
        }
        return gbkOf;
    }();
    return table;
}

// 64 bytes of UTF-8 at q, from a character's start, that hold ASCII and three-byte sequences only, written as
// GBK at o without a branch per character; returns the bytes read (64, or up to two more for a sequence that
// goes on past them), or 0 when the window holds anything else or a sequence that is no two-byte character
// of GBK's (the caller goes a character at a time; so it does for a lead byte E0, which alone can begin an
// overlong form). q must have 80 bytes, o room for 80 more.
std::size_t Utf8WindowAsGbk(const unsigned char* q, const std::uint16_t* gbkOf, unsigned char* o,
                            std::size_t& written) {
    const std::uint64_t high = gbk::HighMask(q);
    const std::uint64_t leads = gbk::ThreeByteLeadMask(q);
    const std::uint64_t follow = leads << 1 | leads << 2;
    if (high != (leads | follow) || (follow & ~gbk::RangeMask(q, 0x80, 0xBF)) != 0 ||
        (leads & gbk::RangeMask(q, 0xE0, 0xE0)) != 0) {
        return 0;
    }
    const std::size_t spill = leads >> 63 ? 2 : (leads >> 62) & 1;
    for (std::size_t k = 64; k < 64 + spill; ++k) {
        if ((q[k] & 0xC0) != 0x80) return 0;
    }
    std::size_t w = written;
    std::uint32_t failed = 0;
    std::size_t from = 0;  // the first byte of the window not written yet
    for (std::uint64_t bits = leads; bits != 0; bits &= bits - 1) {
        const std::size_t k = static_cast<std::size_t>(__builtin_ctzll(bits));
        CopyAscii(q, from, k, o, w);
        std::uint32_t x;
        std::memcpy(&x, q + k, 4);
        const std::uint16_t two = gbkOf[(x & 0x0F) << 12 | (x >> 2 & 0xFC0) | (x >> 16 & 0x3F)];
        failed |= static_cast<std::uint32_t>(two == 0);
        std::memcpy(o + w, &two, 2);
        w += 2;
        from = k + 3;
    }
    if (failed != 0) return 0;
    if (from < 64) CopyAscii(q, from, 64, o, w);
    written = w;
    return 64 + spill;
}

// The whole of a UTF-8 text as one GBK text, where every character of it is one GBK holds, as in most text:
// then it is a single stretch. False, with gbkText unfinished, at the first character that is not (or a byte
// that does not decode).
bool Utf8AsGbk(const char* text, std::size_t size, std::string& gbkText) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const std::size_t n = size;
    const bool asciiAsItself = AsciiIsItself();
    // Never longer when ASCII is itself (every other code of two bytes comes from two bytes or three), but
    // for the room the windows write past their end.
    gbkText.resize(asciiAsItself ? n + 16 : 2 * n);
    auto* o = reinterpret_cast<unsigned char*>(&gbkText[0]);
    std::size_t w = 0;
    std::size_t i = 0;
    std::size_t slow = 0;  // a character at a time up to here: the window there held something else
    const std::uint16_t* gbkOf = kLittleEndian && asciiAsItself ? GbkPairsOfCodePoints().data() : nullptr;
    while (i < n) {
        if (gbkOf != nullptr && i >= slow && i + 80 <= n) {
            const std::size_t read = Utf8WindowAsGbk(p + i, gbkOf, o, w);
            if (read != 0) {
                i += read;
                continue;
            }
            slow = i + 64;
        }
        const unsigned b0 = p[i];
        std::uint16_t code;
        if (b0 < 0x80 && asciiAsItself) {
            // Latin text between the Chinese: eight bytes at a time while none has its high bit set.
            std::uint64_t word;
            while (i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080u) == 0)) {
                std::memcpy(o + w, &word, 8);
                i += 8;
                w += 8;
            }
            while (i < n && p[i] < 0x80) o[w++] = p[i++];
            continue;
        }
        if (b0 < 0x80) {
            code = codec.Encode(b0);
            i += 1;
        } else if (b0 >= 0xE0 && b0 < 0xF0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
                   (p[i + 2] & 0xC0) == 0x80) {
            const char32_t cp = (b0 & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            if (cp < 0x800) return false;  // overlong; a surrogate is no character GBK holds
            code = codec.Encode(cp);
            i += 3;
        } else if (b0 >= 0xC2 && b0 < 0xE0 && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            code = codec.Encode((b0 & 0x1F) << 6 | (p[i + 1] & 0x3F));
            i += 2;
        } else {
            return false;
        }
        if (code == gbk::kNoCode) return false;
        if (code >= 0x100) o[w++] = static_cast<unsigned char>(code >> 8);
        o[w++] = static_cast<unsigned char>(code);
    }
    gbkText.resize(w);
    return true;
}

// Per GBK code, its UTF-8 bytes as a little-endian host stores them, their count in the top byte; 0 for a
// code that does not decode.
const std::vector<std::uint32_t>& Utf8OfCodes() {
    static const std::vector<std::uint32_t> table = [] {
        const gbk::CCodec& codec = gbk::Codec();
        std::vector<std::uint32_t> utf8(0x10000, 0);
        for (std::uint32_t code = 0; code < 0x10000; ++code) {
            const char32_t cp = codec.Decode(static_cast<std::uint16_t>(code));
            if (cp == gbk::kNoCharacter) continue;
            if (cp < 0x80) {
                utf8[code] = cp | 1u << 24;
            } else if (cp < 0x800) {
                utf8[code] = (0xC0 | cp >> 6) | (0x80 | (cp & 0x3F)) << 8 | 2u << 24;
            } else {
                utf8[code] = (0xE0 | cp >> 12) | (0x80 | (cp >> 6 & 0x3F)) << 8 | (0x80 | (cp & 0x3F)) << 16 |
                             3u << 24;
            }
        }
        return utf8;
    }();
    return table;
}

// 64 bytes of GBK at q, from a character's start, that hold ASCII and two-byte characters only, written as
// UTF-8 at o without a branch per character (four bytes stored for each two-byte one, of which what follows
// overwrites the unused ones); returns the bytes read (64, or 65 for a character that goes on past them), or
// 0 when the window holds a one-byte character from 0x80. `bad` is set when a code does not decode. q must
// have 80 bytes, o room for 128 more.
std::size_t GbkWindowAsUtf8(const unsigned char* q, const std::uint32_t* utf8, unsigned char* o,
                            std::size_t& written, bool& bad) {
    const std::uint64_t high = gbk::HighMask(q);
    const std::uint64_t pairs = gbk::PairStarts(gbk::LeadMask(q));
    if ((high & ~(pairs | pairs << 1)) != 0) return 0;
    std::size_t w = written;
    unsigned failed = 0;
    std::size_t from = 0;  // the first byte of the window not written yet
    for (std::uint64_t bits = pairs; bits != 0; bits &= bits - 1) {
        const std::size_t k = static_cast<std::size_t>(__builtin_ctzll(bits));
        CopyAscii(q, from, k, o, w);
        const std::uint32_t bytes = utf8[q[k] << 8 | q[k + 1]];
        failed |= static_cast<unsigned>(bytes == 0);
        std::memcpy(o + w, &bytes, 4);
        w += bytes >> 24;
        from = k + 2;
    }
    if (from < 64) CopyAscii(q, from, 64, o, w);
    written = w;
    bad = bad || failed != 0;
    return 64 + static_cast<std::size_t>(pairs >> 63);
}

// The UTF-8 form of a GBK text into out; false when some character does not decode.
bool GbkAsUtf8(const std::string& gbkText, std::string& out) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(gbkText.data());
    const std::size_t n = gbkText.size();
    out.resize(n + n / 2 + 4);  // a character of one byte or two takes three at most
    const bool asciiAsItself = AsciiIsItself();
    const std::uint32_t* utf8 = kLittleEndian && asciiAsItself ? Utf8OfCodes().data() : nullptr;
    auto* o = reinterpret_cast<unsigned char*>(&out[0]);
    std::size_t w = 0;
    std::size_t slow = 0;  // a character at a time up to here: the window there held something else
    bool bad = false;
    for (std::size_t i = 0; i < n;) {
        if (w + 3 > out.size()) {  // one-byte characters that widen (the euro sign at 0x80)
            out.resize(out.size() * 2);
            o = reinterpret_cast<unsigned char*>(&out[0]);
        }
        if (utf8 != nullptr && i >= slow && i + 80 <= n && w + 128 <= out.size()) {
            const std::size_t read = GbkWindowAsUtf8(p + i, utf8, o, w, bad);
            if (bad) return false;
            if (read != 0) {
                i += read;
                continue;
            }
            slow = i + 64;
        }
        if (p[i] < 0x80 && asciiAsItself) {
            // Eight bytes at a time while none has its high bit set and out has room; then one, if out still
            // has room for it (the words may have filled it to the end: the loop grows it first).
            std::uint64_t word;
            while (i + 8 <= n && w + 8 <= out.size() &&
                   (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080u) == 0)) {
                std::memcpy(o + w, &word, 8);
                i += 8;
                w += 8;
            }
            if (i < n && p[i] < 0x80 && w < out.size()) o[w++] = p[i++];
            continue;
        }
        const bool pair = gbk::IsLeadByte(p[i]) && i + 1 < n;
        const char32_t cp = codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        if (cp == gbk::kNoCharacter) return false;
        i += pair ? 2 : 1;
        if (cp < 0x80) {
            o[w++] = static_cast<unsigned char>(cp);
        } else if (cp < 0x800) {
            WriteUtf8(o + w, cp, 2);
            w += 2;
        } else {
            WriteUtf8(o + w, cp, 3);
            w += 3;
        }
    }
    out.resize(w);
    return true;
}

// A UTF-16 unit of two bytes in the given order.
inline char16_t UnitAt(const unsigned char* p, bool big) {
    return static_cast<char16_t>(big ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

// The whole of a UTF-16 text (even in size) as one GBK text, where every character of it is one GBK holds;
// false at the first that is not (a surrogate, half of a character GBK never holds, included: GBK holds
// none).
bool Utf16AsGbk(const char* text, std::size_t size, bool big, std::string& gbkText) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const std::size_t n = size;
    gbkText.resize(n);  // two bytes a unit, and no code takes more
    auto* o = reinterpret_cast<unsigned char*>(&gbkText[0]);
    std::size_t w = 0;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const std::uint16_t code = codec.Encode(UnitAt(p + i, big));
        if (code == gbk::kNoCode) return false;
        if (code >= 0x100) o[w++] = static_cast<unsigned char>(code >> 8);
        o[w++] = static_cast<unsigned char>(code);
    }
    gbkText.resize(w);
    return true;
}

// The UTF-16 form of a GBK text into out, in the given order; false when some character does not decode.
bool GbkAsUtf16(const std::string& gbkText, bool big, std::string& out) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(gbkText.data());
    const std::size_t n = gbkText.size();
    out.resize(2 * n);  // a unit for each character of one byte or two
    auto* o = reinterpret_cast<unsigned char*>(&out[0]);
    std::size_t w = 0;
    for (std::size_t i = 0; i < n;) {
        const bool pair = gbk::IsLeadByte(p[i]) && i + 1 < n;
        const char32_t cp = codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        if (cp == gbk::kNoCharacter) return false;
        i += pair ? 2 : 1;
        o[w + (big ? 0 : 1)] = static_cast<unsigned char>(cp >> 8);
        o[w + (big ? 1 : 0)] = static_cast<unsigned char>(cp);
        w += 2;
    }
    out.resize(w);
    return true;
}

// UTF-8 or UTF-16 text whose every character is one GBK holds (most text), converted as the one stretch it
// is: through GBK in one pass each way, into out. False, with out unfinished, for any other text; a result
// that does not decode leaves the text as it was.
bool ConvertThroughGbk(TextEncoding encoding, const char* text, std::size_t size, std::string& out,
                       const CTextConversion& conversion) {
    thread_local std::string whole;
    const bool big = encoding == TextEncoding::Utf16Be;
    if (encoding == TextEncoding::Utf8) {
        if (!Utf8AsGbk(text, size, whole)) return false;
        conversion.ConvertGbk(whole);
        if (!GbkAsUtf8(whole, out)) out.assign(text, size);
        return true;
    }
    if (!big && encoding != TextEncoding::Utf16Le) return false;
    if (size % 2 != 0 || !Utf16AsGbk(text, size, big, whole)) return false;
    conversion.ConvertGbk(whole);
    if (!GbkAsUtf16(whole, big, out)) out.assign(text, size);
    return true;
}

// Unicode text by the rule: each stretch of characters GBK holds converted as one GBK text and written back
// in the text's own encoding; the original of a stretch whose result does not decode stays (tables that are
// not made of GBK characters can produce one), and so does, in Big5, a stretch whose result Big5 cannot hold;
// everything else passes as it is.
// Returns false when a stretch stayed because the encoding could not hold its result (only Big5 cannot).
bool ConvertByStretches(TextEncoding encoding, std::string& text, const CTextConversion& conversion) {
    thread_local std::string unicode;
    if (ConvertThroughGbk(encoding, text.data(), text.size(), unicode, conversion)) {
        text.swap(unicode);
        return true;
    }
    bool allWritten = true;
    std::string out;
    out.reserve(text.size());
    std::string gbkText;
    const auto convertPiece = [&](std::size_t from, std::size_t to) {
        text::ForEachStretch(
            encoding, text.data() + from, to - from, gbkText,
            [&](std::size_t begin, std::size_t end, std::string& stretch) {
                conversion.ConvertGbk(stretch);
                const std::size_t before = out.size();
                bool written = true;
                const bool decoded = gbk::DecodeEach(stretch, [&](char32_t cp) {
                    if (written) written = AppendCharacter(out, cp, encoding);
                });
                allWritten = allWritten && written;
                if (!decoded || !written) {
                    out.resize(before);
                    out.append(text, from + begin, end - begin);
                }
            },
            [&](std::size_t offset, std::size_t size) { out.append(text, from + offset, size); });
    };
    // By words, a description sequence stays whole and parts the text around it, as OpenCC has it.
    std::size_t from = 0;
    if (conversion.ByWords()) {
        for (const auto& [begin, end] : text::DescriptionSequences(encoding, text.data(), text.size())) {
            convertPiece(from, begin);
            out.append(text, begin, end - begin);
            from = end;
        }
    }
    convertPiece(from, text.size());
    // UTF-16 of odd size: the last byte is no unit and stays.
    if (UnitSize(encoding) == 2 && text.size() % 2 != 0) out += text.back();
    text.swap(out);
    return allWritten;
}

// Maps every code point of p[0, n) through a direct look-up whose counterparts keep their UTF-8 length, in
// place; bytes that are not UTF-8 pass one at a time, as in ConvertUtf8ByStretches. Three-byte characters
// (all of Chinese) take a short path of their own; everything else goes through the strict decoder.
void MapUtf8InPlace(unsigned char* p, std::size_t n, const UnicodeLookup& index) {
    const std::uint16_t* delta = index.delta.data();
    const bool asciiChanges = index.changesAscii;
    std::size_t i = 0;
    while (i < n) {
        const unsigned b0 = p[i];
        if (b0 < 0x80) {
            if (asciiChanges) {
                p[i] = static_cast<unsigned char>(b0 ^ delta[b0]);
                ++i;
                continue;
            }
            ++i;
            // Latin text between the Chinese: eight bytes at a time while none has its high bit set.
            for (std::uint64_t word; i + 8 <= n; i += 8) {
                std::memcpy(&word, p + i, 8);
                if ((word & 0x8080808080808080u) != 0) break;
            }
            continue;
        }
        if ((b0 & 0xF0) == 0xE0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            char32_t cp = (b0 & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            // Overlong forms and surrogates are not UTF-8: they pass byte by byte below.
            if (cp >= 0x800 && !IsSurrogate(cp)) {
                if (const std::uint16_t d = delta[cp]) WriteUtf8(p + i, cp ^ d, 3);
                i += 3;
                continue;
            }
        }
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, n - i, cp);
        if (length <= 0) {
            ++i;
            continue;
        }
        if (length < 4 && delta[cp] != 0) WriteUtf8(p + i, cp ^ delta[cp], length);
        i += static_cast<std::size_t>(length);
    }
}

// Four bytes as they lie in memory, as the host loads them.
inline std::uint32_t Loaded(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
    const unsigned char bytes[4] = {b0, b1, b2, b3};
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// A three-byte sequence at q: XOR the change of its code point into its bytes, which keeps it three bytes
// long. For look-ups that convert three-byte characters only: an overlong form or a surrogate decodes to a
// code point below U+0800 or in D800-DFFF, whose change is 0, so only the continuation bytes need a check;
// anything else that is no well-formed sequence stays as it is.
template <bool kKnownValid>
inline void MapThreeByteCharacter(unsigned char* q, const std::uint32_t* change) {
    const std::uint32_t continuationMask = Loaded(0, 0xC0, 0xC0, 0);
    const std::uint32_t continuations = Loaded(0, 0x80, 0x80, 0);
    std::uint32_t w;  // the sequence and the byte after it, in one load; only the first three are written
    std::memcpy(&w, q, 4);
    const unsigned cp = (ByteOf(w, 0) & 0x0Fu) << 12 | (ByteOf(w, 1) & 0x3Fu) << 6 | (ByteOf(w, 2) & 0x3Fu);
    if (kKnownValid) {
        w ^= change[cp];
    } else {
        const std::uint32_t wellFormed =
            0u - static_cast<std::uint32_t>((w & continuationMask) == continuations);
        w ^= change[cp] & wellFormed;
    }
    // Three bytes only: the next character's load begins at q[3], and a store it overlaps would stall it.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const auto firstTwo = static_cast<std::uint16_t>(w);
    std::memcpy(q, &firstTwo, 2);
    q[2] = static_cast<unsigned char>(w >> 16);
#else
    for (int k = 0; k < 3; ++k) q[k] = static_cast<unsigned char>(ByteOf(w, k));
#endif
}

// MapUtf8InPlace for look-ups that convert three-byte characters only (the shipped tables): a lead byte can
// only begin a sequence, so each is looked at on its own, found 64 bytes at a time with a mask instead of a
// branch per character between Chinese and Latin text.
template <bool kKnownValid>
void MapThreeByteUtf8InPlace(unsigned char* p, std::size_t n, const UnicodeLookup& index) {
    const std::uint32_t* change = index.utf8Change.data();
    std::size_t i = 0;
    for (; i + 67 <= n; i += 64) {  // a lead byte in the window reads up to three bytes past it
        unsigned char* window = p + i;
        for (std::uint64_t leads = gbk::ThreeByteLeadMask(window); leads != 0; leads &= leads - 1) {
            MapThreeByteCharacter<kKnownValid>(window + static_cast<unsigned>(__builtin_ctzll(leads)),
                                               change);
        }
    }
    // The rest through a copy with room for the fourth byte of the last sequence.
    unsigned char rest[70] = {};
    const std::size_t size = n - i;
    std::memcpy(rest, p + i, size);
    for (std::size_t j = 0; j + 2 < size; ++j) {
        if ((rest[j] & 0xF0) == 0xE0) MapThreeByteCharacter<kKnownValid>(rest + j, change);
    }
    std::memcpy(p + i, rest, size);
}

void MapUtf16InPlace(char16_t* units, std::size_t count, bool swapped, const UnicodeLookup& index) {
    // Surrogates have no counterpart (their delta is 0), so pairs need no special care.
    const std::uint16_t* delta = index.delta.data();
    if (swapped) {
        for (std::size_t i = 0; i < count; ++i) {
            const char16_t unit = Swap(units[i]);
            units[i] = Swap(static_cast<char16_t>(unit ^ delta[unit]));
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(units[i] ^ delta[units[i]]);
    }
}

void MapUtf8(unsigned char* p, std::size_t n, const UnicodeLookup& index, bool knownValid = false) {
    if (index.threeByteOnly && knownValid) {
        MapThreeByteUtf8InPlace<true>(p, n, index);
    } else if (index.threeByteOnly) {
        MapThreeByteUtf8InPlace<false>(p, n, index);
    } else {
        MapUtf8InPlace(p, n, index);
    }
}

// Below this many bytes a part would not pay for the threads' meeting; a run of the reader's (256 KB) makes
// four, shared out among the threads as they come free.
constexpr std::size_t kLeastPart = 32 * 1024;
constexpr std::size_t kMostParts = 4;
// A run of whole lines converted by convert(part, size, result) in parts cut at line ends, each a run of
// whole lines of its own, converted on several threads at once and joined in order into out: where lines
// convert one by one, that is what the whole run gives.
template <class Convert>
void ConvertInParts(char* run, std::size_t size, std::string& out, Convert&& convert) {
    const std::size_t parts = std::min(kMostParts, size / kLeastPart);
    if (parts <= 1) return convert(run, size, out);
    std::vector<std::size_t> cuts;
    text::CutIntoParts(run, size, '\n', parts, text::CLineCuts{}, size, cuts);
    thread_local std::vector<std::string> kept;
    std::vector<std::string>& results = kept;  // this thread's, named so in the helpers too
    results.resize(cuts.size());
    parallel::ForEachPart(cuts.size(), [&](std::size_t k) {
        const std::size_t from = k == 0 ? 0 : cuts[k - 1];
        convert(run + from, cuts[k] - from, k == 0 ? out : results[k]);
    });
    for (std::size_t k = 1; k < cuts.size(); ++k) out += results[k];
}

}  // namespace

CTextConversion::CTextConversion(const CharTables& tables, Direction direction, const PhraseTables* phrases)
    : m_tables(tables), m_direction(direction), m_phrases(phrases) {}

CTextConversion::CTextConversion(const CharTables& tables, const CConversionChain& chain)
    : m_tables(tables), m_direction(chain.GetDirection()), m_phrases(nullptr), m_chain(&chain) {}

const UnicodeLookup* CTextConversion::Lookup() const {
    // Words decide across characters: no look-up of one code point at a time.
    if (m_phrases != nullptr || m_chain != nullptr || m_user != nullptr) return nullptr;
    const UnicodeLookup& lookup = m_tables.Index().Unicode(m_direction);
    return lookup.direct ? &lookup : nullptr;
}

void CTextConversion::ConvertGbk(std::string& text) const {
    if (m_user == nullptr || m_user->Empty()) return ConvertShipped(text);
    // The user's pairs cut the text: what lies between them converts as a text of its own.
    const std::size_t n = text.size();
    std::string out;
    std::string between;
    bool whole = false;
    m_user->Cut(
        text.data(), n,
        [&](std::size_t from, std::size_t to) {
            whole = from == 0 && to == n;  // no pair: converted in place
            if (whole) return;
            between.assign(text, from, to - from);
            ConvertShipped(between);
            out += between;
        },
        [&](const char* counterpart, std::size_t size) { out.append(counterpart, size); });
    if (whole) return ConvertShipped(text);
    text.swap(out);
}

void CTextConversion::ConvertShipped(std::string& text) const {
    if (m_chain != nullptr) return m_chain->Convert(text);
    if (m_phrases == nullptr) return ConvertText(text, m_direction, m_tables);
    if (!text.empty()) m_phrases->Normalize(&text[0], text.size());
    ConvertWords(text, m_direction, m_tables, *m_phrases);
}

bool CTextConversion::ConvertGbkLines(char* run, std::size_t size) const {
    return m_phrases == nullptr && m_chain == nullptr && m_user == nullptr &&
           ConvertLineRun(run, size, m_direction, m_tables);
}

bool CTextConversion::ConvertsRunParts(TextEncoding encoding) const {
    switch (encoding) {
        case TextEncoding::Gbk:
            return KeepsLinesInGbk();
        case TextEncoding::Utf8:
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            // Line ends are characters GBK holds: a stretch may go on over them, and converts as its lines
            // would.
            return ConvertsWholeLines();
        case TextEncoding::Big5:
            break;
    }
    return false;
}

bool CTextConversion::ConvertRunPart(TextEncoding encoding, char* part, std::size_t size,
                                     std::string& out) const {
    if (encoding != TextEncoding::Gbk) {
        // Through GBK only what decodes strictly, as whole characters.
        if (ConvertThroughGbk(encoding, part, size, out, *this)) return encoding == TextEncoding::Utf8;
        out.assign(part, size);
        ConvertByStretches(encoding, out, *this);
        return false;
    }
    if (m_user != nullptr || m_chain != nullptr) {
        out.assign(part, size);
        ConvertGbk(out);
        return false;
    }
    // Normalizing keeps every character's width: lines stay where they were, whatever comes next.
    m_phrases->Normalize(part, size);
    ConvertWordsLineRun(part, size, m_direction, m_tables, *m_phrases, out);
    return false;
}

std::uint64_t CTextConversion::LineCutBytes() const {
    const DirectionIndex& table = m_tables.Index(m_direction);
    if (!table.direct) return 0;
    std::uint64_t held = std::uint64_t{1} << '\r' | std::uint64_t{1} << '\n';
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        const unsigned counterpart = table.singles[byte];
        if (counterpart == byte) continue;
        held |= byte < 0x40 ? std::uint64_t{1} << byte : 0;
        held |= counterpart < 0x40 ? std::uint64_t{1} << counterpart : 0;
    }
    if (m_user != nullptr) held |= m_user->Index().LowBytes();
    if (m_chain != nullptr) {
        held |= m_chain->LowBytes();
    } else if (m_phrases != nullptr) {
        held |= m_phrases->Index(m_direction).LowBytes();
    }
    return ~held;
}

bool CTextConversion::ConvertGbkLinesInto(char* run, std::size_t size, std::string& out) const {
    out.clear();
    if (!ConvertsRunParts(TextEncoding::Gbk)) return false;
    ConvertInParts(run, size, out, [&](char* part, std::size_t partSize, std::string& result) {
        ConvertRunPart(TextEncoding::Gbk, part, partSize, result);
    });
    return true;
}

bool CTextConversion::KeepsLinesInGbk() const {
    // The user's pairs cut the text where they match, which keeps its lines unless a pair holds a line end.
    if (m_user != nullptr && !m_user->Index().WholeLines()) return false;
    if (m_chain != nullptr) return m_chain->ConvertsWholeLines();
    if (!m_tables.Index(m_direction).wholeLines) return false;
    if (m_phrases != nullptr) return m_phrases->Index(m_direction).WholeLines();
    return m_user != nullptr;  // characters alone map in place, with no parts
}

bool CTextConversion::ConvertsWholeLines() const {
    return m_tables.Index().Unicode(m_direction).direct && KeepsLinesInGbk();
}

void CTextConversion::ConvertUtf8(std::string& text) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup != nullptr && lookup->keepsUtf8Length) {
        MapUtf8(reinterpret_cast<unsigned char*>(&text[0]), text.size(), *lookup);
    } else {
        ConvertByStretches(TextEncoding::Utf8, text, *this);
    }
}

bool CTextConversion::ConvertBig5(std::string& text) const {
    return ConvertByStretches(TextEncoding::Big5, text, *this);
}

void CTextConversion::ConvertUtf16(std::u16string& units, bool swapped) const {
    if (const UnicodeLookup* lookup = Lookup()) {
        MapUtf16InPlace(&units[0], units.size(), swapped, *lookup);
    } else {
        // The units as they lie in memory are UTF-16 in the host's byte order, or in the other one.
        const bool big = swapped != HostIsBigEndian();
        std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
        ConvertByStretches(big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le, bytes, *this);
        units.resize(bytes.size() / 2);
        std::memcpy(&units[0], bytes.data(), bytes.size());
    }
}

bool CTextConversion::ConvertUtf8Lines(char* run, std::size_t size, bool knownValid) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup == nullptr || !lookup->keepsUtf8Length || !lookup->wholeLines) return false;
    MapUtf8(reinterpret_cast<unsigned char*>(run), size, *lookup, knownValid);
    return true;
}

bool CTextConversion::ConvertBig5LinesToGbk(char* run, std::size_t size) const {
    if (m_phrases != nullptr || m_chain != nullptr || m_user != nullptr) return false;
    const DirectionIndex& index = m_tables.Index(m_direction);
    if (!index.direct || !index.wholeLines) return false;
    const std::uint16_t* table = m_tables.Index().Big5ToConvertedGbk(m_direction).data();
    auto* p = reinterpret_cast<unsigned char*>(run);
    const unsigned char* singles = index.singles.data();
    const bool singlesChange = index.singlesChange;
    // Each Big5 character of two bytes becomes one GBK character of two, in place; a lead byte with a byte
    // that is no trail, or a code either side leaves empty, reads 0. Characters begin where they begin in GBK
    // (a byte from 0x81 takes the next), so the pairs of 64 bytes at a time are found as GBK's are.
    std::size_t i = 0;
    for (; i + 65 <= size;) {
        const std::uint64_t lead = gbk::LeadMask(p + i);
        const std::uint64_t starts = gbk::PairStarts(lead);
        // A byte from 0x80 that is in no pair (0x80, 0xFF, a trail-less end): the plain loop below decides.
        if (singlesChange || (gbk::HighMask(p + i) & ~(starts | starts << 1)) != 0) break;
        for (std::uint64_t bits = starts; bits != 0; bits &= bits - 1) {
            unsigned char* pair = p + i + static_cast<unsigned>(__builtin_ctzll(bits));
            const std::uint16_t code = table[pair[0] << 8 | pair[1]];
            if (code == 0) return false;
            pair[0] = static_cast<unsigned char>(code >> 8);
            pair[1] = static_cast<unsigned char>(code);
        }
        i += 64 + static_cast<std::size_t>(starts >> 63);
    }
    while (i + 1 < size) {
        const unsigned b = p[i];
        if (b < 0x80) {
            if (singlesChange) p[i] = singles[b];
            ++i;
            continue;
        }
        const std::uint16_t code = table[b << 8 | p[i + 1]];
        if (code == 0) return false;
        p[i] = static_cast<unsigned char>(code >> 8);
        p[i + 1] = static_cast<unsigned char>(code);
        i += 2;
    }
    if (i < size) {
        if (p[i] >= 0x80) return false;
        p[i] = singles[p[i]];
    }
    return true;
}

bool CTextConversion::ConvertUtf16Lines(char16_t* units, std::size_t count, bool swapped) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup == nullptr || !lookup->wholeLines) return false;
    MapUtf16InPlace(units, count, swapped, *lookup);
    return true;
}
