// TextConversion.cpp: GBK, UTF-8 and UTF-16 text through the one conversion.
#include "TextConversion.hpp"

#include <cstdint>
#include <cstring>

#include "CharStarts.hpp"
#include "ConversionIndex.hpp"
#include "ConvertText.hpp"
#include "ConvertWords.hpp"
#include "Gbk.hpp"
#include "GbkCodec.hpp"
#include "platform/Utf8.hpp"

namespace {

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// Byte k of four loaded from memory, whatever the host's byte order.
inline unsigned ByteOf(std::uint32_t loaded, int k) {
    unsigned char bytes[4];
    std::memcpy(bytes, &loaded, 4);
    return bytes[k];
}

char16_t Swap(char16_t unit) { return static_cast<char16_t>(unit >> 8 | unit << 8); }

void AppendGbkCode(std::string& gbk, std::uint16_t code) {
    if (code >= 0x100) gbk += static_cast<char>(code >> 8);
    gbk += static_cast<char>(code);
}

// Calls take(cp) for every character of a GBK text; false, having stopped, at the first byte sequence that is
// no character (a conversion with tables that are not made of GBK characters can produce one).
template <class Take>
bool DecodeGbk(const std::string& gbk, Take&& take) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t n = gbk.size();
    for (std::size_t i = 0; i < n;) {
        const bool pair = gbk::IsLeadByte(p[i]) && i + 1 < n;
        const char32_t cp = codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        if (cp == gbk::kNoCharacter) return false;
        take(cp);
        i += pair ? 2 : 1;
    }
    return true;
}

// The stretches of characters GBK holds, gathered in GBK while the text is walked, converted and written back
// in the text's own encoding by Flush; the original of a stretch whose result does not decode stays.
template <class Unit>
class CStretch {
  public:
    bool Open() const { return m_start != kClosed; }
    void Add(std::size_t at, std::uint16_t code) {
        if (!Open()) m_start = at;
        AppendGbkCode(m_gbk, code);
    }
    // Ends the stretch at `end` of the input; encode(cp, out) appends a character in the output encoding.
    template <class Encode>
    void Flush(const Unit* input, std::size_t end, std::basic_string<Unit>& out,
               const CTextConversion& conversion, Encode&& encode) {
        if (!Open()) return;
        conversion.ConvertGbk(m_gbk);
        const std::size_t before = out.size();
        if (!DecodeGbk(m_gbk, [&](char32_t cp) { encode(cp, out); })) {
            out.resize(before);
            out.append(input + m_start, end - m_start);
        }
        m_gbk.clear();
        m_start = kClosed;
    }

  private:
    static constexpr std::size_t kClosed = static_cast<std::size_t>(-1);
    std::size_t m_start = kClosed;
    std::string m_gbk;
};

void ConvertUtf8ByStretches(std::string& text, const CTextConversion& conversion) {
    const gbk::CCodec& codec = gbk::Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::string out;
    out.reserve(n);
    CStretch<char> stretch;
    const auto encode = [](char32_t cp, std::string& to) { utf8::Append(to, cp); };
    for (std::size_t i = 0; i < n;) {
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, n - i, cp);
        const std::uint16_t code = length > 0 ? codec.Encode(cp) : gbk::kNoCode;
        if (code != gbk::kNoCode) {
            stretch.Add(i, code);
            i += static_cast<std::size_t>(length);
            continue;
        }
        stretch.Flush(text.data(), i, out, conversion, encode);
        const std::size_t step =
            length > 0 ? static_cast<std::size_t>(length) : 1;  // a bad byte passes alone
        out.append(text, i, step);
        i += step;
    }
    stretch.Flush(text.data(), n, out, conversion, encode);
    text.swap(out);
}

void ConvertUtf16ByStretches(std::u16string& units, bool swapped, const CTextConversion& conversion) {
    const gbk::CCodec& codec = gbk::Codec();
    const std::size_t n = units.size();
    std::u16string out;
    out.reserve(n);
    CStretch<char16_t> stretch;
    // Every character GBK holds is below U+10000: one unit.
    const auto encode = [swapped](char32_t cp, std::u16string& to) {
        const auto unit = static_cast<char16_t>(cp);
        to += swapped ? Swap(unit) : unit;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t unit = swapped ? Swap(units[i]) : units[i];
        // A surrogate, paired or not, is never a character GBK holds; it passes one unit at a time.
        const std::uint16_t code = IsSurrogate(unit) ? gbk::kNoCode : codec.Encode(unit);
        if (code != gbk::kNoCode) {
            stretch.Add(i, code);
            continue;
        }
        stretch.Flush(units.data(), i, out, conversion, encode);
        out += units[i];
    }
    stretch.Flush(units.data(), n, out, conversion, encode);
    units.swap(out);
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

}  // namespace

CTextConversion::CTextConversion(const CharTables& tables, int toTraditional, const PhraseTables* phrases)
    : m_tables(tables), m_toTraditional(toTraditional ? 1 : 0), m_phrases(phrases) {}

const UnicodeLookup* CTextConversion::Lookup() const {
    // Words decide across characters: no look-up of one code point at a time.
    if (m_phrases != nullptr) return nullptr;
    const ConversionIndex* index = IndexOf(m_tables);
    if (index == nullptr) return nullptr;
    const UnicodeLookup& lookup = index->Unicode(m_toTraditional);
    return lookup.direct ? &lookup : nullptr;
}

void CTextConversion::ConvertGbk(std::string& text) const {
    if (m_phrases != nullptr) return ConvertWords(text, m_toTraditional, m_tables, *m_phrases);
    ConvertText(text, m_toTraditional, m_tables);
}

bool CTextConversion::ConvertGbkLines(char* run, std::size_t size) const {
    return m_phrases == nullptr && ConvertLineRun(run, size, m_toTraditional, m_tables);
}

bool CTextConversion::ConvertGbkLinesInto(const char* run, std::size_t size, std::string& out) const {
    out.clear();
    return m_phrases != nullptr && ConvertWordsLineRun(run, size, m_toTraditional, m_tables, *m_phrases, out);
}

void CTextConversion::ConvertUtf8(std::string& text) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup != nullptr && lookup->keepsUtf8Length) {
        MapUtf8(reinterpret_cast<unsigned char*>(&text[0]), text.size(), *lookup);
    } else {
        ConvertUtf8ByStretches(text, *this);
    }
}

void CTextConversion::ConvertUtf16(std::u16string& units, bool swapped) const {
    if (const UnicodeLookup* lookup = Lookup()) {
        MapUtf16InPlace(&units[0], units.size(), swapped, *lookup);
    } else {
        ConvertUtf16ByStretches(units, swapped, *this);
    }
}

bool CTextConversion::ConvertUtf8Lines(char* run, std::size_t size, bool knownValid) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup == nullptr || !lookup->keepsUtf8Length || !lookup->wholeLines) return false;
    MapUtf8(reinterpret_cast<unsigned char*>(run), size, *lookup, knownValid);
    return true;
}

bool CTextConversion::ConvertUtf16Lines(char16_t* units, std::size_t count, bool swapped) const {
    const UnicodeLookup* lookup = Lookup();
    if (lookup == nullptr || !lookup->wholeLines) return false;
    MapUtf16InPlace(units, count, swapped, *lookup);
    return true;
}
