// EncodingDetection.cpp: byte order marks, strict UTF-8 validation with a fast path, the readings as UTF-8
// and as GBK, and the readings as Chinese text in GBK and in Big5.
#include "EncodingDetection.hpp"

#include <algorithm>
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

// Zendrix's files have been GBK all along: Big5 must be 3 bits (8 times) likelier.
constexpr detection::Cost kBig5Prior = 2 * 3;

// Each Chinese reading is weighed against the same bytes as text in some other encoding, where every byte
// outside ASCII costs the same and so does the byte after it that a Chinese reading takes as a trail byte (a
// letter of an alphabet of a hundred, a syllable of a double-byte script at two of them). That reading must
// beat the likelier Chinese one by this margin for the text not to be recognised, so that a GBK line with one
// or two rare characters stays GBK.
constexpr detection::Cost kOtherByte = 2 * 7;
constexpr detection::Cost kOtherPrior = 2 * 17;
// Nor is a text that holds too few different characters to judge: a few words over and over, as a made-up
// test file or a list has them, say nothing of an encoding, and GBK is what such files have always been.
constexpr int kLeastVariety = 4;

// Common pairs of hanzi vouch for Chinese text where its characters alone would not: a list of place names
// or goods is made of words that frequencies counted on software's texts rate rare, but they are pairs that
// Chinese text joins. Chinese text of some length makes common pairs 80% of the time or more; text in another
// encoding read as Chinese 29% of the time at most in files of 1,000 lines, and half of the time at most in
// any file of the corpora with 16 pairs or more. A byte that forms no character rules it out.
constexpr std::size_t kLeastVouchingPairs = 16;

bool PairsVouch(const detection::CChineseReading& reading) {
    return reading.Strays() == 0 && reading.HanPairs() >= kLeastVouchingPairs &&
           reading.KnownHanPairs() * 10 >= reading.HanPairs() * 7;
}

detection::Cost OtherCost(const detection::CChineseReading& reading) {
    return static_cast<detection::Cost>(2 * reading.Pairs() + reading.Strays()) * kOtherByte;
}

// The Chinese readings stop once the answer leads every other by this much.
constexpr detection::Cost kClear = 2 * 48;

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
    if (m_notUtf8)
        return ScanChinese(reinterpret_cast<const unsigned char*>(data),
                           reinterpret_cast<const unsigned char*>(data) + size);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    if (!m_headChecked) {
        while (m_headSize < sizeof m_head && p < end) m_head[m_headSize++] = *p++;
        const bool utf16Mark = m_headSize == 2 && ((m_head[0] == 0xFF && m_head[1] == 0xFE) ||
                                                   (m_head[0] == 0xFE && m_head[1] == 0xFF));
        if (m_headSize < sizeof m_head && !utf16Mark) return;
        CheckHead();
    }
    if (m_settled) return;
    if (m_notUtf8) return ScanChinese(p, end);  // the head showed it already
    Scan(p, end);
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
        const unsigned char* start = p;
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
        if (length == utf8::kInvalid) {
            // The held bytes were read by no reading yet; the chunk's bytes are read after them.
            for (std::size_t k = 0; k < m_carrySize && !m_chineseDone; ++k) ReadChineseByte(m_carry[k]);
            m_carrySize = 0;
            return LeaveUtf8(start, end);
        }
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
        if (length == utf8::kInvalid) return LeaveUtf8(p, end);
        if (m_weighing) ReadSequence(p, length, cp);
        p += length;
    }
}

void CEncodingDetector::ReadSequence(const unsigned char* sequence, int length, char32_t cp) {
    m_sawNonAscii = true;
    if (!m_utf8Convinced) {
        detection::Cost rarity;
        const detection::CharClass cls = detection::ClassOfCodePoint(cp, rarity);
        m_utf8.AddOther(cls, rarity);
        for (int k = 0; k < length; ++k) m_gbk.AddByte(sequence[k]);
        if (m_gbk.Total() - m_utf8.Total() >= kConvinced) m_utf8Convinced = true;
    }
    for (int k = 0; k < length && !m_chineseDone; ++k) ReadChineseByte(sequence[k]);
    m_weighing = !m_utf8Convinced || !m_chineseDone;
}

// Only the first two bytes of a run of ASCII and its last can join a character that is not ASCII in either
// reading (the first may be a GBK trail byte), so the rest is not read: the same whatever the chunks.
void CEncodingDetector::ReadAscii(const unsigned char* first, const unsigned char* end) {
    const std::size_t size = static_cast<std::size_t>(end - first);
    if (!m_utf8Convinced) {
        for (std::size_t k = 0; k < size; k = (k == 1 && size > 3) ? size - 1 : k + 1) {
            m_utf8.AddAscii(first[k]);
            m_gbk.AddByte(first[k]);
        }
    }
    if (!m_chineseDone) ReadChineseAscii(first, end);
}

void CEncodingDetector::ReadChineseAscii(const unsigned char* first, const unsigned char* end) {
    const std::size_t size = static_cast<std::size_t>(end - first);
    for (std::size_t k = 0; k < size; k = (k == 1 && size > 3) ? size - 1 : k + 1) {
        m_gbkText.AddByte(first[k]);
        m_big5Text.AddByte(first[k]);
    }
}

void CEncodingDetector::ReadChineseByte(unsigned char b) {
    m_gbkText.AddByte(b);
    m_big5Text.AddByte(b);
    ++m_chineseBytes;
    CheckChineseDone();
}

// Done when the readings have taken their share of the text, or when one answer leads by far: Big5 or GBK
// against each other and against other bytes, or other bytes against both.
void CEncodingDetector::CheckChineseDone() {
    if (m_chineseBytes >= kLegacyBytes) {
        m_chineseDone = true;
        return;
    }
    const detection::Cost gbk = m_gbkText.Total();
    const detection::Cost big5 = m_big5Text.Total() + kBig5Prior;
    const bool isBig5 = big5 < gbk;
    const detection::Cost chinese = isBig5 ? big5 : gbk;
    const detection::CChineseReading& likelier = isBig5 ? m_big5Text : m_gbkText;
    const detection::Cost other = OtherCost(likelier) + kOtherPrior;
    // Other bytes leading says nothing yet of a text that has shown too few characters to judge.
    if (chinese - other >= kClear && likelier.Variety() >= kLeastVariety && !PairsVouch(likelier))
        m_chineseDone = true;
    if (other - chinese >= kClear && (gbk - big5 >= kClear || big5 - gbk >= kClear)) m_chineseDone = true;
}

void CEncodingDetector::LeaveUtf8(const unsigned char* p, const unsigned char* end) {
    m_notUtf8 = true;
    ScanChinese(p, end);
}

void CEncodingDetector::ScanChinese(const unsigned char* p, const unsigned char* end) {
    while (p < end && !m_chineseDone) {
        if (*p < 0x80) {
            const unsigned char* run = AsciiRunEnd(p, end);
            ReadChineseAscii(p, run);
            p = run;
        } else {
            ReadChineseByte(*p++);
        }
    }
    if (m_chineseDone) SettleChinese();
}

void CEncodingDetector::SettleChinese() {
    if (!m_chineseDone) {
        m_gbkText.Finish();
        m_big5Text.Finish();
        m_chineseDone = true;
    }
    const detection::Cost gbk = m_gbkText.Total();
    const detection::Cost big5 = m_big5Text.Total() + kBig5Prior;
    const bool isBig5 = big5 < gbk;
    const detection::Cost other = OtherCost(isBig5 ? m_big5Text : m_gbkText) + kOtherPrior;
    const detection::CChineseReading& likelier = isBig5 ? m_big5Text : m_gbkText;
    const bool recognised =
        (isBig5 ? big5 : gbk) <= other || likelier.Variety() < kLeastVariety || PairsVouch(likelier);
    Settle(recognised && isBig5 ? TextEncoding::Big5 : TextEncoding::Gbk, 0);
    m_guess.recognised = recognised;
}

EncodingGuess CEncodingDetector::Finish() {
    if (!m_headChecked) CheckHead();
    if (m_settled) return m_guess;
    if (m_carrySize > 0) {
        // A UTF-8 sequence cut by the end of the text: not UTF-8.
        for (std::size_t k = 0; k < m_carrySize && !m_chineseDone; ++k) ReadChineseByte(m_carry[k]);
        m_carrySize = 0;
        m_notUtf8 = true;
    }
    if (!m_notUtf8) {
        m_utf8.End();
        m_gbk.Finish();
        if (m_sawNonAscii && (m_utf8Convinced || m_gbk.Total() - kGbkPrior > m_utf8.Total())) {
            Settle(TextEncoding::Utf8, 0);
            return m_guess;
        }
    }
    SettleChinese();
    return m_guess;
}

EncodingGuess CEncodingDetector::FinishBeginning() {
    m_carrySize = 0;
    return Finish();
}

EncodingGuess DetectEncoding(const char* data, std::size_t size) {
    CEncodingDetector detector;
    detector.Feed(data, size);
    return detector.Finish();
}
