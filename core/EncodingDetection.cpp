// EncodingDetection.cpp: byte order marks, strict UTF-8 validation with a fast path, and the two readings.
#include "EncodingDetection.hpp"

#include <cstdint>
#include <cstring>

#include "Utf8.hpp"
#include "Utf8Validity.hpp"

namespace {

// Once the UTF-8 reading is this many half bits cheaper than the GBK one (about 2^-48 odds for GBK), the
// text is UTF-8 if it stays valid: reading on would only cost time.
constexpr detection::Cost kConvinced = 2 * 48;

// Zendrix's files have been GBK all along: a text is taken for UTF-8 only when that reading is more than 4
// bits (16 times) likelier. Short texts of one or two characters are where this matters.
constexpr detection::Cost kGbkPrior = 2 * 4;

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

bool HasHighByte(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return (word & kHighBits) != 0;
}

const unsigned char* AsciiRunEnd(const unsigned char* p, const unsigned char* end) {
    while (end - p >= 8 && !HasHighByte(p)) p += 8;
    while (p < end && *p < 0x80) ++p;
    return p;
}

}  // namespace

void CEncodingDetector::Settle(TextEncoding encoding, std::size_t bomSize) {
    m_guess.encoding = encoding;
    m_guess.bomSize = bomSize;
    m_settled = true;
}

void CEncodingDetector::Feed(const char* data, std::size_t size) {
    if (m_settled || size == 0) return;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    if (!m_headChecked) {
        while (m_headSize < sizeof m_head && p < end) m_head[m_headSize++] = *p++;
        const bool utf16Mark = m_headSize == 2 && ((m_head[0] == 0xFF && m_head[1] == 0xFE) ||
                                                   (m_head[0] == 0xFE && m_head[1] == 0xFF));
        if (m_headSize < sizeof m_head && !utf16Mark) return;
        CheckHead();
    }
    if (!m_settled) Scan(p, end);
}

void CEncodingDetector::CheckHead() {
    m_headChecked = true;
    const unsigned char* h = m_head;
    if (m_headSize >= 2 && h[0] == 0xFF && h[1] == 0xFE) return Settle(TextEncoding::Utf16Le, 2);
    if (m_headSize >= 2 && h[0] == 0xFE && h[1] == 0xFF) return Settle(TextEncoding::Utf16Be, 2);
    if (m_headSize == 3 && h[0] == 0xEF && h[1] == 0xBB && h[2] == 0xBF) return Settle(TextEncoding::Utf8, 3);
    Scan(h, h + m_headSize);
}

void CEncodingDetector::Scan(const unsigned char* p, const unsigned char* end) {
    if (m_carrySize > 0 && p < end) {
        unsigned char sequence[4];
        std::memcpy(sequence, m_carry, m_carrySize);
        std::size_t n = m_carrySize;
        while (n < sizeof sequence && p < end) sequence[n++] = *p++;
        char32_t cp;
        const int length = utf8::DecodeOne(sequence, n, cp);
        if (length == utf8::kTruncated) {
            std::memcpy(m_carry, sequence, n);
            m_carrySize = n;
            return;
        }
        if (length == utf8::kInvalid) return Settle(TextEncoding::Gbk, 0);
        p -= n - static_cast<std::size_t>(length);  // the bytes taken beyond the sequence go back
        m_carrySize = 0;
        if (m_weighing) ReadSequence(sequence, length, cp);
    }
    while (p < end) {
        if (!m_weighing) {
            p = utf8::SkipValid(p, end);
            if (p == end) return;
        }
        if (*p < 0x80) {
            const unsigned char* run = AsciiRunEnd(p, end);
            ReadAscii(p, run);
            p = run;
            continue;
        }
        char32_t cp;
        const int length = utf8::DecodeOne(p, static_cast<std::size_t>(end - p), cp);
        if (length == utf8::kTruncated) {
            m_carrySize = static_cast<std::size_t>(end - p);
            std::memcpy(m_carry, p, m_carrySize);
            return;
        }
        if (length == utf8::kInvalid) return Settle(TextEncoding::Gbk, 0);
        if (m_weighing) ReadSequence(p, length, cp);
        p += length;
    }
}

void CEncodingDetector::ReadSequence(const unsigned char* sequence, int length, char32_t cp) {
    m_sawNonAscii = true;
    detection::Cost rarity;
    const detection::CharClass cls = detection::ClassOfCodePoint(cp, rarity);
    m_utf8.AddOther(cls, rarity);
    for (int k = 0; k < length; ++k) m_gbk.AddByte(sequence[k]);
    if (m_gbk.Total() - m_utf8.Total() >= kConvinced) m_weighing = false;
}

// Only the first two bytes of a run of ASCII and its last can join a character that is not ASCII in either
// reading (the first may be a GBK trail byte), so the rest is not read: the same whatever the chunks.
void CEncodingDetector::ReadAscii(const unsigned char* first, const unsigned char* end) {
    const std::size_t size = static_cast<std::size_t>(end - first);
    for (std::size_t k = 0; k < size; k = (k == 1 && size > 3) ? size - 1 : k + 1) {
        m_utf8.AddAscii(first[k]);
        m_gbk.AddByte(first[k]);
    }
}

EncodingGuess CEncodingDetector::Finish() {
    if (!m_headChecked) CheckHead();
    if (m_settled) return m_guess;
    if (m_carrySize > 0) {
        Settle(TextEncoding::Gbk, 0);  // a UTF-8 sequence cut by the end of the text
        return m_guess;
    }
    m_utf8.End();
    m_gbk.Finish();
    const bool utf8 = m_sawNonAscii && (!m_weighing || m_gbk.Total() - kGbkPrior > m_utf8.Total());
    Settle(utf8 ? TextEncoding::Utf8 : TextEncoding::Gbk, 0);
    return m_guess;
}

EncodingGuess DetectEncoding(const char* data, std::size_t size) {
    CEncodingDetector detector;
    detector.Feed(data, size);
    return detector.Finish();
}
