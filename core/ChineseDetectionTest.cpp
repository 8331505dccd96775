// ChineseDetectionTest.cpp: GBK against Big5 against neither, at the edges where the decision is made.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/Big5Codec.hpp"
#include "core/EncodingDetection.hpp"
#include "core/GbkCodec.hpp"
#include "core/Utf8.hpp"

namespace {

enum class As { Gbk, Big5 };

// The UTF-8 text in GBK or Big5; every character must be held.
std::string Encoded(const std::string& utf8Text, As as) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8Text.data());
    for (std::size_t i = 0; i < utf8Text.size();) {
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, utf8Text.size() - i, cp);
        EXPECT_GT(length, 0);
        if (length <= 0) return out;
        i += static_cast<std::size_t>(length);
        const std::uint16_t code = as == As::Gbk ? gbk::Codec().Encode(cp) : big5::Codec().Encode(cp);
        EXPECT_NE(code, gbk::kNoCode) << static_cast<std::uint32_t>(cp);
        if (code >= 0x100) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

EncodingGuess Guess(const std::string& bytes) { return DetectEncoding(bytes.data(), bytes.size()); }

bool IsBig5(const std::string& bytes) {
    const EncodingGuess guess = Guess(bytes);
    return guess.recognised && guess.encoding == TextEncoding::Big5;
}

bool IsGbk(const std::string& bytes) {
    const EncodingGuess guess = Guess(bytes);
    return guess.recognised && guess.encoding == TextEncoding::Gbk;
}

bool NotRecognised(const std::string& bytes) {
    const EncodingGuess guess = Guess(bytes);
    return !guess.recognised && guess.encoding == TextEncoding::Gbk;
}

EncodingGuess GuessInChunks(const std::string& text, const std::vector<std::size_t>& sizes) {
    CEncodingDetector detector;
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size(); ++k) {
        const std::size_t size = std::min(sizes[k % sizes.size()], text.size() - at);
        detector.Feed(text.data() + at, size);
        at += size;
    }
    return detector.Finish();
}

// Traditional words of two characters, the shortest lines the decision has to get right.
const char* const kTraditionalPairs[] = {
    u8"檔案", u8"設定", u8"說明", u8"網路", u8"錯誤", u8"視窗", u8"資料",
    u8"離開", u8"選項", u8"密碼", u8"許可", u8"功能",  // Big5 B3 5C and A5 5C: the trail byte is the
                                                       // backslash
};
const char* const kSimplifiedPairs[] = {
    u8"文件", u8"设置", u8"错误", u8"帮助", u8"窗口", u8"数据", u8"退出", u8"选项", u8"密码", u8"网络",
};

TEST(ChineseDetectionTest, TwoCharacterLinesBothWays) {
    for (const char* word : kTraditionalPairs) {
        EXPECT_TRUE(IsBig5(Encoded(word, As::Big5))) << word << " in Big5";
        EXPECT_TRUE(IsGbk(Encoded(word, As::Gbk))) << word << " in GBK";
    }
    for (const char* word : kSimplifiedPairs) EXPECT_TRUE(IsGbk(Encoded(word, As::Gbk))) << word;
}

TEST(ChineseDetectionTest, TheBackslashTrailByteIsPartOfTheCharacter) {
    const std::string text = Encoded(u8"許功蓋：路徑 C:\\temp 無法開啟", As::Big5);
    ASSERT_NE(text.find("\xB3\x5C\xA5\x5C\xBB\x5C"), std::string::npos);
    EXPECT_TRUE(IsBig5(text));
}

TEST(ChineseDetectionTest, LongerLinesAndParagraphs) {
    const char* traditional =
        u8"用法：%s [選項]... 檔案\n顯示這份說明後離開\n無法建立連線，請檢查網路設定後再試一次。\n";
    const char* simplified =
        u8"用法：%s [选项]... 文件\n显示此帮助信息并退出\n无法建立连接，请检查网络设置后重试。\n";
    EXPECT_TRUE(IsBig5(Encoded(traditional, As::Big5)));
    EXPECT_TRUE(IsGbk(Encoded(traditional, As::Gbk)));  // Traditional text in GBK stays GBK
    EXPECT_TRUE(IsGbk(Encoded(simplified, As::Gbk)));
}

TEST(ChineseDetectionTest, GbkWithALittleChineseAmongAsciiStaysGbk) {
    const std::string texts[] = {
        Encoded(u8"Usage: prog [OPTION]... FILE\n  -h, --help     display this help and exit\n"
                u8"  -o FILE        写入文件\n",
                As::Gbk),
        Encoded(u8"See https://example.org/docs/index.html for details (默认)", As::Gbk),
        Encoded(u8"#define VERSION \"2.1\"  /* 版本 */\nint main(void) { return 0; }\n", As::Gbk),
    };
    for (const std::string& text : texts) EXPECT_TRUE(IsGbk(text)) << text;
    // And a long ASCII head does not change that.
    EXPECT_TRUE(IsGbk(std::string(300000, 'x') + "\n" + Encoded(u8"注释", As::Gbk)));
}

TEST(ChineseDetectionTest, OtherCodePagesAreNotRecognised) {
    const char* const texts[] = {
        // Korean, EUC-KR: 파일을 열 수 없습니다: 권한이 거부되었습니다
        "\xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9: "
        "\xB1\xC7\xC7\xD1\xC0\xCC "
        "\xB0\xC5\xBA\xCE\xB5\xC7\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9",
        // Japanese, EUC-JP: ファイルを開けませんでした。アクセスが拒否されました
        "\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB\xA4\xF2\xB3\xAB\xA4\xB1\xA4\xDE\xA4\xBB\xA4\xF3\xA4\xC7\xA4\xB7\xA4"
        "\xBF"
        "\xA1\xA3\xA5\xA2\xA5\xAF\xA5\xBB\xA5\xB9\xA4\xAC\xB5\xF1\xC8\xDD\xA4\xB5\xA4\xEC\xA4\xDE\xA4\xB7\xA4"
        "\xBF",
        // The same in Shift_JIS
        "\x83t\x83@\x83"
        "C\x83\x8B\x82\xF0\x8A"
        "J\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81"
        "B\x83"
        "A\x83N\x83Z\x83X\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD",
        // Russian, Windows-1251 and KOI8-R: Не удалось открыть файл: доступ запрещён
        "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xEE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB: "
        "\xE4\xEE\xF1\xF2\xF3\xEF "
        "\xE7\xE0\xEF\xF0\xE5\xF9\xB8\xED",
        "\xEE\xC5 \xD5\xC4\xC1\xCC\xCF\xD3\xD8 \xCF\xD4\xCB\xD2\xD9\xD4\xD8 \xC6\xC1\xCA\xCC: "
        "\xC4\xCF\xD3\xD4\xD5\xD0 "
        "\xDA\xC1\xD0\xD2\xC5\xDD\xA3\xCE",
        // Greek, Windows-1253: Δεν ήταν δυνατό το άνοιγμα του αρχείου
        "\xC4\xE5\xED \xDE\xF4\xE1\xED \xE4\xF5\xED\xE1\xF4\xFC \xF4\xEF \xDC\xED\xEF\xE9\xE3\xEC\xE1 "
        "\xF4\xEF\xF5 "
        "\xE1\xF1\xF7\xE5\xDF\xEF\xF5",
        // German, Latin-1, a few lines
        "Die Datei konnte nicht ge\xF6"
        "ffnet werden: Zugriff verweigert.\n"
        "M\xF6"
        "chten Sie die \xC4nderungen \xFC"
        "bernehmen? Nicht gespeicherte Daten gehen verloren.\n"
        "Bitte w\xE4hlen Sie einen Eintrag aus der Liste; Gr\xF6\xDF"
        "e und Schriftart k\xF6nnen sp\xE4ter "
        "ge\xE4ndert werden.\n",
    };
    for (const char* text : texts) EXPECT_TRUE(NotRecognised(text)) << text;
}

// Other bytes may lead early on a text that repeats one accented word: the reading goes on until the text has
// shown enough different characters, and a long Windows-1252 file is still refused.
TEST(ChineseDetectionTest, AFewRepeatedWordsDoNotDecideALongFile) {
    std::string text;
    for (int line = 0; line < 60; ++line) text += "Acc\xE8s refus\xE9.\n";
    for (int line = 0; line < 20; ++line) {
        text +=
            "M\xF6"
            "chten Sie die \xC4nderungen \xFC"
            "bernehmen? Bitte w\xE4hlen Sie; Gr\xF6\xDF"
            "e und Schriftart k\xF6nnen sp\xE4ter ge\xE4ndert werden. Caf\xE9 cr\xE8me br\xFBl\xE9"
            "e, na\xEFve fa\xE7on.\n";
    }
    EXPECT_TRUE(NotRecognised(text));
}

// A data file of short words among ASCII: each word's characters cost about what the other reading asks, but
// common pairs vouch for GBK; the same list of Korean words in EUC-KR, whose pairs read as hanzi are no
// common ones, stays refused.
TEST(ChineseDetectionTest, ListsOfCommonWordsAreGbkAndKoreanListsAreNot) {
    const char* const provinces[] = {u8"河北", u8"山西", u8"辽宁", u8"吉林",
                                     u8"江苏", u8"浙江", u8"安徽", u8"福建"};
    // 서울 부산 대구 인천 광주 대전 울산 수원
    const char* const korean[] = {"\xBC\xAD\xBF\xEF", "\xBA\xCE\xBB\xEA", "\xB4\xEB\xB1\xB8",
                                  "\xC0\xCE\xC3\xB5", "\xB1\xA4\xC1\xD6", "\xB4\xEB\xC0\xFC",
                                  "\xBF\xEF\xBB\xEA", "\xBC\xF6\xBF\xF8"};
    std::mt19937 random(8);
    std::string gbkList;
    std::string koreanList;
    for (int line = 0; line < 500; ++line) {
        const std::string number = std::to_string(1000 + random() % 9000);
        const std::string tail = ",x" + std::to_string(line % 7) + "\n";
        gbkList +=
            std::to_string(line) + "," + Encoded(provinces[random() % 8], As::Gbk) + "," + number + tail;
        koreanList += std::to_string(line) + "," + korean[random() % 8] + "," + number + tail;
    }
    EXPECT_TRUE(IsGbk(gbkList));
    EXPECT_TRUE(NotRecognised(koreanList));
}

TEST(ChineseDetectionTest, TooShortToRefuseIsGbk) {
    // Five accented letters in a line of Windows-1252 (Impossible d'ouvrir le fichier « %s » : accès refusé)
    // read as a handful of characters: too few to say anything, so GBK.
    EXPECT_TRUE(IsGbk("Impossible d\x92ouvrir le fichier \xAB %s \xBB : acc\xE8s refus\xE9"));
    // Two Korean syllables (설정) read as two common hanzi: one line this short stays GBK, as it always was.
    EXPECT_TRUE(IsGbk("\xBC\xB3\xC1\xA4"));
    // One accented letter before a letter reads as one rare hanzi: GBK too.
    EXPECT_TRUE(IsGbk("Caf\xE9s"));
}

TEST(ChineseDetectionTest, Utf8BrokenAtItsEndIsNotRecognised) {
    std::string text;
    for (int k = 0; k < 2000; ++k) text += u8"文件已保存到目录中。 ascii line\n";
    EXPECT_EQ(TextEncoding::Utf8, Guess(text).encoding);
    EXPECT_TRUE(NotRecognised(text + "\xFF"));
    EXPECT_TRUE(NotRecognised(text + "\xE4\xB8"));  // a sequence cut by the end
}

TEST(ChineseDetectionTest, AnyChunkingGivesTheWholeAnswer) {
    const std::string texts[] = {
        Encoded(u8"許可", As::Big5),
        Encoded(u8"用法：%s [選項]... 檔案\n顯示這份說明後離開\n", As::Big5),
        Encoded(u8"用法：%s [选项]... 文件\n显示此帮助信息并退出\n", As::Gbk),
        Encoded(u8"abc 檔案 def\n", As::Gbk),
        "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xEE\xF2\xEA\xF0\xFB\xF2\xFC",
        u8"文件已保存。" + std::string("\xFF") + Encoded(u8"檔案設定", As::Big5),
        Encoded(u8"許功蓋", As::Big5) + "\xE4\xB8",
    };
    std::mt19937 random(2024);
    for (const std::string& text : texts) {
        const EncodingGuess whole = Guess(text);
        for (std::size_t chunk = 1; chunk <= text.size(); ++chunk) {
            const EncodingGuess parts = GuessInChunks(text, {chunk});
            EXPECT_EQ(whole.encoding, parts.encoding) << text << " in chunks of " << chunk;
            EXPECT_EQ(whole.recognised, parts.recognised) << text << " in chunks of " << chunk;
        }
        for (int round = 0; round < 50; ++round) {
            std::vector<std::size_t> sizes;
            for (int k = 0; k < 8; ++k) sizes.push_back(random() % 5 + (k % 3 == 0 ? 0 : 1));
            sizes.push_back(1);
            const EncodingGuess parts = GuessInChunks(text, sizes);
            EXPECT_EQ(whole.encoding, parts.encoding) << text;
            EXPECT_EQ(whole.recognised, parts.recognised) << text;
        }
    }
}

// Fed a byte at a time, the detector must settle within its bound, and what follows must not matter then.
std::size_t SettlePoint(const std::string& text) {
    CEncodingDetector detector;
    for (std::size_t k = 0; k < text.size(); ++k) {
        detector.Feed(text.data() + k, 1);
        if (detector.Settled()) return k + 1;
    }
    return std::string::npos;
}

TEST(ChineseDetectionTest, SettlesEarlyOnRealTextAndWithinTheBoundOnAnything) {
    std::string big5;
    for (int k = 0; k < 200; ++k) big5 += Encoded(u8"無法建立連線，請檢查網路設定後再試一次。\n", As::Big5);
    const std::size_t at = SettlePoint(big5);
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(at, 200u);  // a few lines of real text are enough
    EXPECT_TRUE(IsBig5(big5.substr(0, at)));
    EXPECT_TRUE(IsBig5(big5.substr(0, at) + std::string(5000, '\xA1')));  // nothing after it counts

    // Bytes that no reading makes sense of settle at the latest after kLegacyBytes bytes outside ASCII.
    std::mt19937 random(7);
    std::string noise = "\xFF";
    for (std::size_t k = 0; k < 3 * CEncodingDetector::kLegacyBytes; ++k) {
        noise += static_cast<char>(0x80 + random() % 0x80);
    }
    const std::size_t noiseAt = SettlePoint(noise);
    ASSERT_NE(noiseAt, std::string::npos);
    EXPECT_LE(noiseAt, CEncodingDetector::kLegacyBytes);

    // Real text in a double-byte code page that only the model can refuse, as long as the bound.
    std::string korean;
    while (korean.size() < 2 * CEncodingDetector::kLegacyBytes) {
        korean += "\xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9\n";
    }
    const std::size_t koreanAt = SettlePoint(korean);
    ASSERT_NE(koreanAt, std::string::npos);
    EXPECT_TRUE(NotRecognised(korean.substr(0, koreanAt)));
    EXPECT_TRUE(NotRecognised(korean.substr(0, koreanAt) + Encoded(u8"文件已保存到目录中。", As::Gbk)));
}

TEST(ChineseDetectionTest, OnlyValidityLeftOnceUtf8LeadsAndTheReadingsAreDone) {
    std::string text;
    for (int k = 0; k < 50; ++k) text += u8"文件已保存到目录中。\n";
    CEncodingDetector detector;
    std::size_t at = 0;
    while (at < text.size() && !detector.OnlyValidityLeft()) detector.Feed(text.data() + at++, 1);
    EXPECT_LT(at, text.size());
    EXPECT_FALSE(detector.Settled());
    // From here only bytes that are not UTF-8 change the answer, and then to what the start decided.
    CEncodingDetector broken = detector;
    detector.Feed(text.data() + at, text.size() - at);
    EXPECT_EQ(TextEncoding::Utf8, detector.Finish().encoding);
    broken.Feed("\xFF", 1);
    EXPECT_FALSE(broken.OnlyValidityLeft());
    EXPECT_FALSE(broken.Finish().recognised);

    // Not UTF-8 and not settled yet (two hanzi prove little): neither settled nor UTF-8 by far.
    CEncodingDetector gbk;
    gbk.Feed("\xBC\xF2\xCC\xE5\n", 5);  // 简体
    EXPECT_FALSE(gbk.Settled());
    EXPECT_FALSE(gbk.OnlyValidityLeft());
    EXPECT_TRUE(gbk.Finish().recognised);
}

}  // namespace
