// EncodingDetection.hpp: decides which encoding a text file is in: GBK, UTF-8, UTF-16LE or UTF-16BE.
#pragma once

#include <cstddef>

#include "TextEncoding.hpp"
#include "TextReadings.hpp"

struct EncodingGuess {
    TextEncoding encoding = TextEncoding::Gbk;
    std::size_t bomSize = 0;  // bytes of the byte order mark at the start (0, 2 or 3)
};

// The rule: a byte order mark decides (EF BB BF UTF-8, FF FE UTF-16LE, FE FF UTF-16BE). Without one, a text
// is UTF-8 when it is strict UTF-8 to its end and its characters other than ASCII read as more likely text in
// UTF-8 than in GBK (TextReadings.hpp); everything else is GBK, pure ASCII included. So "Créer" in UTF-8 is
// UTF-8, while 状态 in GBK (D7 B4 CC AC), which is also valid UTF-8 (a Hebrew mark and a combining mark), is
// GBK.
//
// Incremental: the text may be fed in chunks of any size, in order, and gives the answer a single call gives.
// Memory stays the same whatever the size of the text.
class CEncodingDetector {
  public:
    void Feed(const char* data, std::size_t size);
    // True once more bytes cannot change the answer: a byte order mark was seen, or bytes that are not UTF-8
    // (a GBK text usually shows some within its first few Chinese characters). The caller may stop reading.
    bool Settled() const { return m_settled; }
    // True when the text so far is UTF-8 by far, so that only bytes that are not UTF-8, later on, could still
    // make it GBK. A reader that can go back to the start may convert as UTF-8 from here, feeding the rest as
    // it reads, and start again as GBK in the rare case Finish says so.
    bool OnlyValidityLeft() const { return !m_settled && !m_weighing; }
    // After the last Feed.
    EncodingGuess Finish();

  private:
    void CheckHead();
    void Scan(const unsigned char* p, const unsigned char* end);
    void ReadSequence(const unsigned char* sequence, int length, char32_t cp);
    void ReadAscii(const unsigned char* first, const unsigned char* end);
    void Settle(TextEncoding encoding, std::size_t bomSize);

    unsigned char m_head[3] = {};  // the first bytes, held until the byte order mark is known
    std::size_t m_headSize = 0;
    bool m_headChecked = false;
    unsigned char m_carry[4] = {};  // a UTF-8 sequence that the last chunk ended in the middle of
    std::size_t m_carrySize = 0;
    bool m_settled = false;
    EncodingGuess m_guess;
    bool m_sawNonAscii = false;
    // False once the UTF-8 reading is so far ahead that only validity can still matter.
    bool m_weighing = true;
    detection::CReading m_utf8;
    detection::CGbkReading m_gbk;
};

// The whole text at once.
EncodingGuess DetectEncoding(const char* data, std::size_t size);
