// EncodingDetection.hpp: decides which encoding a text file is in: GBK, Big5, UTF-8, UTF-16LE or UTF-16BE, or
// none of them.
#pragma once

#include <cstddef>

#include "TextEncoding.hpp"
#include "TextReadings.hpp"

struct EncodingGuess {
    TextEncoding encoding = TextEncoding::Gbk;
    std::size_t bomSize = 0;  // bytes of the byte order mark at the start (0, 2 or 3)
    // False for a text that is none of the encodings: no byte order mark, not UTF-8, and as implausible as
    // Chinese text read as GBK as read as Big5 (Russian, Greek, Korean, Japanese, French in their code
    // pages). encoding is then Gbk, what the text would be converted as if the user forced it.
    bool recognised = true;
};

// The rule: a byte order mark decides (EF BB BF UTF-8, FF FE UTF-16LE, FE FF UTF-16BE). Without one, a text
// is UTF-8 when it is strict UTF-8 to its end and its characters other than ASCII read as more likely text in
// UTF-8 than in GBK (TextReadings.hpp). So "Créer" in UTF-8 is UTF-8, while 状态 in GBK (D7 B4 CC AC), which
// is also valid UTF-8 (a Hebrew mark and a combining mark), is not.
//
// Any other text is read as Chinese in GBK and in Big5 under a model of character frequencies
// (CChineseReading), and weighed against a reading as bytes of some other encoding, each byte outside ASCII
// costing the same. It is Big5 when that reading is clearly likelier than the GBK one, and not recognised
// when the reading as other bytes beats both by a margin; everything else is GBK, pure ASCII included. The
// Chinese readings take at most the first kLegacyBytes (4,096) bytes outside ASCII, and stop earlier once the
// answer is clear by 48 bits: a GBK or Big5 file of real text usually within its first 20 to 60 characters.
//
// Incremental: the text may be fed in chunks of any size, in order, and gives the answer a single call gives.
// Memory stays the same whatever the size of the text.
class CEncodingDetector {
  public:
    void Feed(const char* data, std::size_t size);
    // The bytes outside ASCII that the Chinese readings take at most.
    static constexpr std::size_t kLegacyBytes = 4096;

    // True once more bytes cannot change the answer: a byte order mark was seen, or bytes that are not UTF-8
    // and then enough text for the Chinese readings to agree on GBK, Big5 or neither (at most kLegacyBytes
    // bytes outside ASCII from the start of the text; a GBK or Big5 text usually settles within its first 20
    // to 60 characters). The caller may stop reading.
    bool Settled() const { return m_settled; }
    // True when the text so far is UTF-8 by far and the Chinese readings have what they need, so that only
    // bytes that are not UTF-8, later on, could still change the answer (to GBK, Big5 or not recognised, as
    // decided already from the start of the text). A reader that can go back to the start may convert as
    // UTF-8 from here, feeding the rest as it reads, and start again in the rare case Finish says otherwise.
    bool OnlyValidityLeft() const { return !m_settled && !m_notUtf8 && !m_weighing; }
    // From there on, instead of feeding the rest: whether the rest, with the start of a sequence held back
    // from the last bytes fed, is strict UTF-8, as the caller found out.
    void EndRest(bool strictUtf8) {
        if (!OnlyValidityLeft()) return;
        m_carrySize = 0;
        m_notUtf8 = !strictUtf8;
    }
    // After the last Feed.
    EncodingGuess Finish();
    // The same when what was fed is the beginning of a text whose rest is not looked at (a stream): a UTF-8
    // sequence cut by its end is no evidence against UTF-8.
    EncodingGuess FinishBeginning();

  private:
    void CheckHead();
    void Scan(const unsigned char* p, const unsigned char* end);
    void ReadSequence(const unsigned char* sequence, int length, char32_t cp);
    void ReadAscii(const unsigned char* first, const unsigned char* end);
    void Settle(TextEncoding encoding, std::size_t bomSize);
    // The text is not UTF-8: the Chinese readings go on alone from p.
    void LeaveUtf8(const unsigned char* p, const unsigned char* end);
    void ScanChinese(const unsigned char* p, const unsigned char* end);
    void ReadChineseByte(unsigned char b);
    void ReadChineseAscii(const unsigned char* first, const unsigned char* end);
    void CheckChineseDone();
    void SettleChinese();

    unsigned char m_head[3] = {};  // the first bytes, held until the byte order mark is known
    std::size_t m_headSize = 0;
    bool m_headChecked = false;
    unsigned char m_carry[4] = {};  // a UTF-8 sequence that the last chunk ended in the middle of
    std::size_t m_carrySize = 0;
    bool m_settled = false;
    EncodingGuess m_guess;
    bool m_sawNonAscii = false;
    // True once the UTF-8 reading is so far ahead of the GBK one that only validity can still matter for it.
    bool m_utf8Convinced = false;
    // False once that is so and the Chinese readings are done.
    bool m_weighing = true;
    bool m_notUtf8 = false;
    detection::CReading m_utf8;
    detection::CGbkReading m_gbk;
    // The Chinese readings, and the count of bytes outside ASCII they took.
    detection::CChineseReading m_gbkText{detection::CChineseReading::kGbk};
    detection::CChineseReading m_big5Text{detection::CChineseReading::kBig5};
    std::size_t m_chineseBytes = 0;
    bool m_chineseDone = false;
};

// The whole text at once.
EncodingGuess DetectEncoding(const char* data, std::size_t size);
