// AllocationFaultTest.cpp: one file converted while any allocation of it may fail: the file fails alone,
// and neither its temporary output nor a half-written destination survives.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <thread>

#include "convert/FileEngine.hpp"
#include "core/ConversionChain.hpp"
#include "core/ConvertText.hpp"
#include "core/PhraseTable.hpp"
#include "tests/support/TempDir.hpp"

namespace {

// The allocation that is to fail, counted from when it was armed; 0: none.
std::atomic<long> g_failAt{0};
std::atomic<long> g_allocations{0};
std::atomic<bool> g_failed{false};
// The allocation that failed was one that may be refused (new (std::nothrow)): the C++ runtime asks so
// for what it can do without, such as the list of a thread's destructors on Windows.
std::atomic<bool> g_refusable{false};

bool FailsNow() { return g_failAt.load() > 0 && ++g_allocations == g_failAt.load(); }

void* Allocate(std::size_t size) {
    if (FailsNow()) {
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* AllocateOrRefuse(std::size_t size) noexcept {
    if (FailsNow()) {
        g_failed = g_refusable = true;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrRefuse(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrRefuse(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
namespace fs = std::filesystem;

class CReplacingHost : public IFileHost {
  public:
    DestinationDecision Decide(const std::string&, const std::string&) override {
        DestinationDecision decision;
        decision.replace = true;
        return decision;
    }
};

// Fails the first allocation of the conversion, then the second, and so on until one runs through without a
// failure: every way out must leave the folder as it was, or the finished output.
TEST(AllocationFaultTest, EveryAllocationOfAConversionMayFailAndNothingHalfDoneSurvives) {
    const CharTables tables("\xbc\xf2\xcc\xe5", "\xba\x86\xf3\x77");  // 简体 and 簡體 in GBK
    // By words the runs convert on helper threads: what fails there fails the file as it would here.
    const PhraseTables phrases({{"\xbc\xf2\xcc\xe5", "\xba\x86\xf3\x77"}}, {});
    const CTextConversion byCharacters(tables, Direction::ToTraditional);
    const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
    for (const CTextConversion* way : {&byCharacters, &byWords}) {
        const CTextConversion& conversion = *way;
        std::string utf8Text;
        while (utf8Text.size() < 300000) utf8Text += "简体 text, 简体😀\n";
        const std::string utf16 = std::string("\xff\xfe\x80\x7b\x53\x4f\x0a\x00", 8);
        struct Case {
            const char* name;
            std::string bytes;
        };
        for (const Case& c :
             {Case{"gbk", "\xbc\xf2\xcc\xe5\nab\n"}, Case{"utf8", utf8Text}, Case{"utf16", utf16}}) {
            SCOPED_TRACE(c.name);
            TempDir dir;
            WriteBytes(dir.File("in.txt"), c.bytes);
            WriteBytes(dir.File("out.txt"), "the old output");
            CReplacingHost host;
            const FileJob job{dir.File("in.txt"), dir.File("out.txt"), &conversion, std::nullopt,
                              std::nullopt};
            const std::string expected = [&] {
                TempDir reference;
                const FileReport report =
                    ConvertOneFile(FileJob{dir.File("in.txt"), reference.File("out.txt"), &conversion,
                                           std::nullopt, std::nullopt},
                                   host);
                EXPECT_EQ(FileOutcome::Converted, report.outcome);
                return ReadBytes(reference.File("out.txt"));
            }();
            long failures = 0;
            for (long at = 1;; ++at) {
                g_allocations = 0;
                g_failed = g_refusable = false;
                g_failAt = at;
                const FileReport report = ConvertOneFile(job, host);
                g_failAt = 0;
                if (!g_failed) {
                    EXPECT_EQ(FileOutcome::Converted, report.outcome);
                    EXPECT_TRUE(ReadBytes(dir.File("out.txt")) == expected);
                    break;
                }
                // The runtime may go without what it asked for so (which thread asks depends on the
                // threads' timing): then the file converts all the same.
                if (g_refusable && report.outcome == FileOutcome::Converted) {
                    EXPECT_TRUE(ReadBytes(dir.File("out.txt")) == expected) << "allocation " << at;
                    WriteBytes(dir.File("out.txt"), "the old output");
                    continue;
                }
                ++failures;
                ASSERT_EQ(FileOutcome::ReadFailed, report.outcome) << "allocation " << at;
                EXPECT_TRUE(report.outOfMemory);
                EXPECT_EQ("the old output", ReadBytes(dir.File("out.txt"))) << "allocation " << at;
                std::size_t entries = 0;
                for (const auto& entry : fs::directory_iterator(dir.path())) {
                    static_cast<void>(entry);
                    ++entries;
                }
                ASSERT_EQ(2u, entries) << "a temporary output survived allocation " << at;
            }
            EXPECT_GT(failures, 2) << "the conversion allocates almost nothing: the test tests nothing";
        }
    }
}

// Conversion by words makes the phrase indexes when it first needs them: an allocation failing there fails
// that file, and the next one converts as if nothing had failed.
TEST(AllocationFaultTest, AnIndexThatCouldNotBeMadeIsMadeWhenNextAskedFor) {
    const CharTables tables("\xbc\xf2\xcc\xe5", "\xba\x86\xf3\x77");  // 简体 and 簡體 in GBK
    const std::vector<PhraseEntry> words = {{"\xbc\xf2\xcc\xe5", "\xf3\x77\xba\x86"}};  // 简体 -> 體簡
    TempDir dir;
    WriteBytes(dir.File("in.txt"), "\xbc\xf2\xcc\xe5\n");
    CReplacingHost host;
    const std::string expected = "\xf3\x77\xba\x86\r\n";
    long failures = 0;
    for (long at = 1;; ++at) {
        const PhraseTables phrases(words, {});  // no index made yet
        const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
        const FileJob job{dir.File("in.txt"), dir.File("out.txt"), &byWords, std::nullopt, std::nullopt};
        g_allocations = 0;
        g_failed = false;
        g_failAt = at;
        const FileReport report = ConvertOneFile(job, host);
        g_failAt = 0;
        if (g_failed) {
            ++failures;
            EXPECT_EQ(FileOutcome::ReadFailed, report.outcome) << "allocation " << at;
            ASSERT_EQ(FileOutcome::Converted, ConvertOneFile(job, host).outcome) << "allocation " << at;
        }
        EXPECT_EQ(expected, ReadBytes(dir.File("out.txt"))) << "allocation " << at;
        if (!g_failed) break;
    }
    EXPECT_GT(failures, 2);
}

// Conversion by name makes its one scan when a text first asks for it: running out of memory part of the way
// through fails that text, and the next one is converted as if nothing had failed.
TEST(AllocationFaultTest, AOneScanThatCouldNotBeMadeIsMadeWholeWhenNextAskedFor) {
    const auto character = [](int k) {  // two-byte characters from 啊 on
        return std::string{static_cast<char>(0xB0 + k / 90), static_cast<char>(0xA1 + k % 90)};
    };
    std::vector<PhraseEntry> segmentation;
    std::string text;
    for (int k = 0; k < 40; ++k) {  // counterparts long enough that their list grows as it is written
        std::string counterpart;
        for (int c = 0; c < 12; ++c) counterpart += character(200 + k * 12 + c);
        segmentation.push_back({character(2 * k) + character(2 * k + 1), counterpart});
        text += character(2 * k) + character(2 * k + 1) + "a";
    }
    std::vector<PhraseDictionary> dictionaries = {
        {"STPhrases", segmentation},
        {"STCharacters", {{character(903), character(904)}}},
        {"TWPhrases", {{character(900) + character(901), character(902)}}},
        {"TWVariantsPhrases", {{character(905) + character(906), character(907)}}},
        {"TWVariants", {{character(908), character(909)}}},
        {"CJK_Compatibility_Ideographs", {}}};
    const PhraseTables phrases(std::move(dictionaries));
    const CharTables tables;
    const auto built = [&] {
        CConversionChain chain;
        std::string error;
        EXPECT_TRUE(CConversionChain::Build("s2twp", phrases, tables, chain, error)) << error;
        return chain;
    };
    const std::string expected = [&] {
        std::string converted = text;
        built().Convert(converted);
        return converted;
    }();
    ASSERT_NE(text, expected);
    long failures = 0;
    for (long at = 1;; ++at) {
        const CConversionChain chain = built();  // its one scan not made yet
        std::string converted = text;
        g_allocations = 0;
        g_failed = g_refusable = false;
        g_failAt = at;
        try {
            chain.Convert(converted);
        } catch (const std::bad_alloc&) {
        }
        g_failAt = 0;
        if (!g_failed) break;
        ++failures;
        converted = text;
        chain.Convert(converted);
        ASSERT_EQ(expected, converted) << "allocation " << at;
    }
    EXPECT_GT(failures, 20);
}

// A table whose characters lead on to others goes through the merger of codes, kept by each thread from text
// to text: a text cut short by a shortage of memory, wherever, leaves the next one to convert as if nothing
// had failed.
TEST(AllocationFaultTest, ATextCutShortLeavesTheNextToConvertAsIfNothingHadFailed) {
    const auto character = [](int k) {
        return std::string{static_cast<char>(0xB0 + k / 90), static_cast<char>(0xA1 + k % 90)};
    };
    std::string from;
    std::string to;
    std::string text;
    for (int k = 0; k < 300; ++k) {  // X becomes Y, and Y becomes Z
        from += character(k);
        to += character(300 + k);
        text += character(k) + character(300 + k);
    }
    for (int k = 0; k < 300; ++k) {
        from += character(300 + k);
        to += character(600 + k);
    }
    const CharTables tables(from, to);
    std::string expected = text;
    // On a thread of its own, so that this one's merger is first made while allocations fail.
    std::thread([&] { ConvertText(expected, Direction::ToTraditional, tables); }).join();
    ASSERT_NE(text, expected);
    long failures = 0;
    for (long at = 1;; ++at) {
        bool right = true;
        // Each on a thread of its own, whose merger is made, and grows, while allocations fail.
        std::thread([&] {
            std::string converted = text;
            g_allocations = 0;
            g_failed = g_refusable = false;
            g_failAt = at;
            try {
                ConvertText(converted, Direction::ToTraditional, tables);
            } catch (const std::bad_alloc&) {
            }
            g_failAt = 0;
            if (!g_failed) return;
            converted = text;
            ConvertText(converted, Direction::ToTraditional, tables);
            right = converted == expected;
        }).join();
        if (!g_failed) break;
        ++failures;
        ASSERT_TRUE(right) << "allocation " << at;
    }
    EXPECT_GT(failures, 4);
}

}  // namespace
