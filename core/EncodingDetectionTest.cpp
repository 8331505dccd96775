// EncodingDetectionTest.cpp: byte order marks, strict UTF-8, short ambiguous texts, chunking and Settled().
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/EncodingDetection.hpp"

namespace {

TextEncoding Detect(const std::string& text) { return DetectEncoding(text.data(), text.size()).encoding; }

// UTF-8 text that reads as nothing else: "文件已保存到目录中。"
const std::string kChineseUtf8 = u8"文件已保存到目录中。";

EncodingGuess DetectInChunks(const std::string& text, const std::vector<std::size_t>& sizes) {
    CEncodingDetector detector;
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size(); ++k) {
        const std::size_t size = std::min(sizes[k % sizes.size()], text.size() - at);
        detector.Feed(text.data() + at, size);
        at += size;
    }
    return detector.Finish();
}

TEST(EncodingDetectionTest, ByteOrderMarksDecideAndReportTheirSize) {
    struct Case {
        std::string text;
        TextEncoding encoding;
        std::size_t bomSize;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + kChineseUtf8, TextEncoding::Utf8, 3},
        {"\xEF\xBB\xBF", TextEncoding::Utf8, 3},
        {"\xEF\xBB\xBF\xC4\xA3", TextEncoding::Utf8, 3},  // even when what follows is not UTF-8
        {std::string("\xFF\xFE\x2D\x4E", 4), TextEncoding::Utf16Le, 2},
        {"\xFF\xFE", TextEncoding::Utf16Le, 2},
        {std::string("\xFE\xFF\x4E\x2D", 4), TextEncoding::Utf16Be, 2},
        {"\xEF\xBB", TextEncoding::Gbk, 0},  // half a mark is a cut UTF-8 sequence
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, c.text.size()}) {
            const EncodingGuess guess = DetectInChunks(c.text, {chunk});
            EXPECT_EQ(c.encoding, guess.encoding) << EncodingName(c.encoding) << " in chunks of " << chunk;
            EXPECT_EQ(c.bomSize, guess.bomSize) << EncodingName(c.encoding);
        }
    }
}

// Not UTF-8, and then GBK by the answer's encoding: UTF-8 text read as Chinese is no Chinese text, so these
// are not recognised (ChineseDetectionTest), and the encoding they would be forced to is GBK.
TEST(EncodingDetectionTest, AnythingButStrictUtf8IsGbk) {
    EXPECT_EQ(TextEncoding::Utf8, Detect(kChineseUtf8));
    const char* broken[] = {
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong slash
        "\xED\xA0\x80",      // a surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\x80",              // a continuation byte alone
        "\xE4\xB8",          // cut by the end of the text
    };
    for (const char* bytes : broken) {
        EXPECT_EQ(TextEncoding::Gbk, Detect(kChineseUtf8 + bytes)) << "ending in " << bytes;
        EXPECT_EQ(TextEncoding::Gbk, Detect(bytes + kChineseUtf8)) << "starting with " << bytes;
    }
    EXPECT_EQ(TextEncoding::Gbk, Detect(""));
    EXPECT_EQ(TextEncoding::Gbk, Detect("plain ASCII text\r\n"));
}

TEST(EncodingDetectionTest, ShortGbkWordsThatAreValidUtf8StayGbk) {
    const char* gbk[] = {
        "\xD7\xB4\xCC\xAC",                  // 状态: a Hebrew mark and a combining mark in UTF-8
        "\xC4\xA3\xCA\xBD",                  // 模式
        "\xC4\xBF\xC2\xBC",                  // 目录
        "\xD5\xAA\xD2\xAA",                  // 摘要
        "-m, --mode=\xC4\xA3\xCA\xBD",       // -m, --mode=模式
        "\xCE\xB4\xD6\xAA\xD7\xB4\xCC\xAC",  // 未知状态
        "\xD3\x8D\xCC\x96",                  // 訊號, from GBK's extension area
        "\xCE\xBB\xCD\xBC",                  // 位图
    };
    for (const char* text : gbk) EXPECT_EQ(TextEncoding::Gbk, Detect(text)) << text;
}

TEST(EncodingDetectionTest, ShortUtf8TextsAreUtf8) {
    const char* utf8[] = {
        u8"Créer",
        u8"Größe",
        u8"Nota: questa è solo una simulazione.",
        u8"¿Desea continuar?",
        u8"Файл",
        u8"Αρχείο",
        u8"状态",
        u8"空",
        u8"ファイル",
        u8"파일",
        u8"קובץ",
        u8"ملف",
        u8"ไฟล์",
        u8"फ़ाइल",
        u8"Đóng",
    };
    for (const char* text : utf8) EXPECT_EQ(TextEncoding::Utf8, Detect(text)) << text;
}

// A beginning cut in the middle of a character (a stream's look-ahead) is no evidence against UTF-8; the
// whole of a text so cut is not UTF-8.
TEST(EncodingDetectionTest, ACharacterCutByTheEndOfABeginningIsNoEvidence) {
    const std::string text = u8"简体中文的文字，转换为繁体。";
    for (std::size_t cut = 1; cut <= 2; ++cut) {
        CEncodingDetector beginning;
        beginning.Feed(text.data(), text.size() - cut);
        EXPECT_EQ(TextEncoding::Utf8, beginning.FinishBeginning().encoding) << cut;
        CEncodingDetector whole;
        whole.Feed(text.data(), text.size() - cut);
        EXPECT_NE(TextEncoding::Utf8, whole.Finish().encoding) << cut;
    }
}

TEST(EncodingDetectionTest, AnyChunkingGivesTheWholeAnswer) {
    const std::string texts[] = {
        kChineseUtf8,
        "abc " + kChineseUtf8 + " def\n" + kChineseUtf8,
        u8"Créer un fichier à partir de « modèle »",
        "-m, --mode=\xC4\xA3\xCA\xBD",
        "\xD7\xB4\xCC\xAC text \xC4\xBF\xC2\xBC",
        "\xEF\xBB\xBF" + kChineseUtf8,
        kChineseUtf8 + "\xE4\xB8",
    };
    std::mt19937 random(12345);
    for (const std::string& text : texts) {
        const EncodingGuess whole = DetectEncoding(text.data(), text.size());
        for (std::size_t chunk = 1; chunk <= text.size(); ++chunk) {
            const EncodingGuess parts = DetectInChunks(text, {chunk});
            EXPECT_EQ(whole.encoding, parts.encoding) << text << " in chunks of " << chunk;
            EXPECT_EQ(whole.bomSize, parts.bomSize);
        }
        for (int round = 0; round < 50; ++round) {
            std::vector<std::size_t> sizes;
            for (int k = 0; k < 8; ++k) sizes.push_back(random() % 5 + (k % 3 == 0 ? 0 : 1));
            sizes.push_back(1);
            EXPECT_EQ(whole.encoding, DetectInChunks(text, sizes).encoding) << text;
        }
    }
}

TEST(EncodingDetectionTest, SettledOnceMoreBytesCannotChangeTheAnswer) {
    CEncodingDetector gbk;
    const std::string gbkText = "\xCE\xC4\xBC\xFE\xD2\xD1\xB1\xA3\xB4\xE6";  // 文件已保存
    gbk.Feed(gbkText.data(), 2);
    EXPECT_FALSE(gbk.Settled());  // CE C4 is still valid UTF-8 so far
    gbk.Feed(gbkText.data() + 2, gbkText.size() - 2);
    EXPECT_TRUE(gbk.Settled());  // not UTF-8, and five common hanzi make GBK clear by far
    const std::string more = kChineseUtf8;
    gbk.Feed(more.data(), more.size());
    const EncodingGuess guess = gbk.Finish();
    EXPECT_EQ(TextEncoding::Gbk, guess.encoding);
    EXPECT_TRUE(guess.recognised);

    CEncodingDetector utf8;
    utf8.Feed(kChineseUtf8.data(), kChineseUtf8.size());
    EXPECT_FALSE(utf8.Settled());  // the next byte may still break it
    EXPECT_EQ(TextEncoding::Utf8, utf8.Finish().encoding);

    CEncodingDetector bom;
    bom.Feed("\xEF\xBB", 2);
    EXPECT_FALSE(bom.Settled());
    bom.Feed("\xBF", 1);
    EXPECT_TRUE(bom.Settled());
    EXPECT_EQ(TextEncoding::Utf8, bom.Finish().encoding);

    CEncodingDetector utf16;
    utf16.Feed("\xFE\xFF", 2);
    EXPECT_TRUE(utf16.Settled());
    EXPECT_EQ(TextEncoding::Utf16Be, utf16.Finish().encoding);
}

TEST(EncodingDetectionTest, LongUtf8IsValidatedToTheEnd) {
    std::string text;
    for (int k = 0; k < 20000; ++k) text += kChineseUtf8 + " ascii line\n";
    EXPECT_EQ(TextEncoding::Utf8, Detect(text));
    EXPECT_EQ(TextEncoding::Gbk, Detect(text + "\xCE\xC4\xBC\xFE end"));  // 文件 in GBK
    EXPECT_EQ(TextEncoding::Gbk, Detect(text + "\xE9\xBF"));
}

}  // namespace
