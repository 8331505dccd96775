// PhraseTableTest.cpp: reading the phrase file, and refusing every damaged one.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
#include <sys/resource.h>
#define ZENDRIX_LIMIT_MEMORY 1
#endif

#include "core/ConvertWords.hpp"
#include "core/PhraseIndex.hpp"
#include "core/PhraseTable.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::TempDir;
using testsupport::WriteBytes;

const std::string kBanner = kPhraseBanner;
// GBK: 复杂 -> 複雜, 头发 -> 頭髮; 發 -> 发; 发 with the forms 發 and 髮.
const std::string kFuza = "\xb8\xb4\xd4\xd3";
const std::string kFuza2 = "\xd1\x7d\xeb\x73";
const std::string kToufa = "\xcd\xb7\xb7\xa2";
const std::string kToufa2 = "\xee\x5e\xf3\x8c";
const std::string kFa = "\xb7\xa2";
const std::string kFa2 = "\xb0\x6c";
const std::string kFa3 = "\xf3\x8c";

// A well-formed file as lines; tests break one line at a time.
std::vector<std::string> GoodLines() {
    return {kBanner,
            "dictionary STPhrases 2",
            kFuza + "\t" + kFuza2,
            kToufa + "\t" + kToufa2,
            "dictionary TSPhrases 1",
            kFuza2 + "\t" + kFuza,
            "candidates s2t 1",
            kFa + "\t" + kFa2 + kFa3,
            "candidates t2s 0"};
}

std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + end;
    return bytes;
}

PhraseLoadResult Load(const std::string& bytes, PhraseTables& phrases) {
    TempDir dir;
    WriteBytes(dir.File("Runewords.txt"), bytes);
    return LoadPhrases(phrases, dir.File("Runewords.txt"));
}

TEST(PhraseTableTest, AWellFormedFileLoadsWithItsIndex) {
    for (const char* end : {"\r\n", "\n"}) {
        PhraseTables phrases;
        ASSERT_EQ(PhraseLoadResult::Loaded, Load(Join(GoodLines(), end), phrases));
        ASSERT_EQ(2u, phrases.Phrases(Direction::ToTraditional).size());
        EXPECT_EQ(kToufa, phrases.Phrases(Direction::ToTraditional)[1].phrase);
        EXPECT_EQ(kToufa2, phrases.Phrases(Direction::ToTraditional)[1].counterpart);
        ASSERT_EQ(1u, phrases.Phrases(Direction::ToSimplified).size());
        EXPECT_EQ(kFuza, phrases.Phrases(Direction::ToSimplified)[0].counterpart);
        ASSERT_EQ(1u, phrases.Candidates(Direction::ToTraditional).size());
        EXPECT_EQ(kFa, phrases.Candidates(Direction::ToTraditional)[0].character);
        EXPECT_EQ((std::vector<std::string>{kFa2, kFa3}),
                  phrases.Candidates(Direction::ToTraditional)[0].forms);
        EXPECT_TRUE(phrases.Candidates(Direction::ToSimplified).empty());
        EXPECT_TRUE(phrases.Index(Direction::ToTraditional).WholeLines());
    }
    // The last line may end without a line break; a 0x1A byte ends the input as for every text file.
    PhraseTables phrases;
    std::string bytes = Join(GoodLines());
    EXPECT_EQ(PhraseLoadResult::Loaded, Load(bytes.substr(0, bytes.size() - 2), phrases));
    EXPECT_EQ(PhraseLoadResult::Loaded, Load(bytes + "\x1a" + "anything", phrases));
}

// By words a direction asks its phrases before its characters: where both have a key, the phrase's counts,
// and so does the first of equal keys within a dictionary; the indexes are made on first use, from any copy.
TEST(PhraseTableTest, APhraseWinsOverACharacterWithItsKey) {
    const std::string zhong = "\xd6\xd0";  // 中
    const std::string ding = "\xb6\xa1";   // 丁
    const std::string qi = "\xc6\xdf";     // 七
    const std::string wan = "\xcd\xf2";    // 万
    // In byte order, as a file holds them: 万 before 中.
    const PhraseTables phrases(
        {{dictionary::kSimplifiedCharacters, {{wan, qi}, {zhong, qi}}},
         {dictionary::kSimplifiedPhrases, {{wan, ding}, {wan, zhong}, {zhong, ding}}}});
    const PhraseTables copy = phrases;
    const CharTables tables("a", "b");
    for (const PhraseTables* any : {&copy, &phrases}) {
        std::string text = zhong + wan + "a";
        ConvertWords(text, Direction::ToTraditional, tables, *any);
        EXPECT_EQ(ding + ding + "b", text);
    }
    EXPECT_EQ(&phrases.Index(Direction::ToTraditional), &copy.Index(Direction::ToTraditional));
}

TEST(PhraseTableTest, EveryBrokenRuleMakesTheFileDamagedAndLeavesNothingLoaded) {
    struct Fault {
        const char* what;
        std::size_t line;
        std::string replacement;
    };
    const Fault faults[] = {
        {"banner", 0, kBanner + " "},
        {"header word", 1, "dictionar STPhrases 2"},
        {"header without a name", 1, "dictionary  2"},
        {"name with a stray byte", 1, "dictionary ST-Phrases 2"},
        {"count too high", 1, "dictionary STPhrases 3"},
        {"count too low", 1, "dictionary STPhrases 1"},
        {"count with a sign", 1, "dictionary STPhrases +2"},
        {"count with a leading zero", 1, "dictionary STPhrases 02"},
        {"count beyond the file", 1, "dictionary STPhrases 99999999999999999999"},
        {"name given twice", 4, "dictionary STPhrases 1"},
        {"no TAB", 2, kFuza + kFuza2},
        {"two TABs", 2, kFuza + "\t" + kFuza2 + "\t"},
        {"empty phrase", 2, "\t" + kFuza2},
        {"empty counterpart", 2, kFuza + "\t"},
        {"a phrase of ASCII alone", 2, "ab\t" + kFuza2},
        {"ASCII in a candidate's forms", 7, kFa + "\t" + kFa2 + "ab"},
        {"space in a counterpart", 2, kFuza + "\t" + kFuza2 + " "},
        {"lone lead byte", 2, kFuza + "\xb8\t" + kFuza2},
        {"trail byte 0x7F", 2, kFuza + "\t" + kFuza2.substr(0, 3) + "\x7f"},
        {"lead byte 0xFF", 2, "\xff\xa1\t" + kFuza2},
        {"a NUL byte", 2, kFuza + "\t" + kFuza2.substr(0, 3) + std::string(1, '\0')},
        {"a lone CR", 2, kFuza + "\r\t" + kFuza2},
        {"keys out of order", 3, kFuza.substr(0, 2) + "\t" + kFuza2},
        {"key repeated", 3, kFuza + "\t" + kFuza2},
        {"candidate key of two characters", 7, kFuza + "\t" + kFa2 + kFa3},
        {"candidate with one form", 7, kFa + "\t" + kFa2},
        {"candidate with a repeated form", 7, kFa + "\t" + kFa2 + kFa2},
        {"section out of order", 4, "candidates s2t 1"},
        {"candidates' header", 6, "candidates s2t"},
    };
    for (const Fault& fault : faults) {
        std::vector<std::string> lines = GoodLines();
        lines[fault.line] = fault.replacement;
        PhraseTables phrases({{"old", "old"}}, {});
        EXPECT_EQ(PhraseLoadResult::Damaged, Load(Join(lines), phrases)) << fault.what;
        EXPECT_TRUE(phrases.Phrases(Direction::ToTraditional).empty()) << fault.what;
    }
    const std::string good = Join(GoodLines());
    PhraseTables phrases;
    EXPECT_EQ(PhraseLoadResult::Damaged, Load("", phrases));
    EXPECT_EQ(PhraseLoadResult::Damaged, Load(good.substr(0, good.size() / 2), phrases)) << "cut short";
    EXPECT_EQ(PhraseLoadResult::Damaged, Load(good + "more\r\n", phrases)) << "a line after the last section";
    EXPECT_EQ(PhraseLoadResult::Damaged, Load(good + "\r\n", phrases)) << "an empty line at the end";
}

TEST(PhraseTableTest, MissingFileOrDirectoryIsNotOpenable) {
    TempDir dir;
    PhraseTables phrases({{"old", "old"}}, {});
    EXPECT_EQ(PhraseLoadResult::NotOpenable, LoadPhrases(phrases, dir.File("Runewords.txt")));
    EXPECT_TRUE(phrases.Phrases(Direction::ToTraditional).empty());
    std::filesystem::create_directory(dir.path() / "Runewords.txt");
    EXPECT_EQ(PhraseLoadResult::NotOpenable, LoadPhrases(phrases, dir.File("Runewords.txt")));
}

TEST(PhraseTableTest, TheShippedFileLoadsAndConvertsRunsOfLines) {
    // Beside the test programs, as beside the program.
    PhraseTables phrases;
    ASSERT_EQ(PhraseLoadResult::Loaded, LoadPhrases(phrases));
    EXPECT_GT(phrases.Phrases(Direction::ToTraditional).size(), 40000u);
    EXPECT_GT(phrases.Phrases(Direction::ToSimplified).size(), 200u);
    EXPECT_GT(phrases.Candidates(Direction::ToTraditional).size(), 200u);
    EXPECT_GT(phrases.Candidates(Direction::ToSimplified).size(), 10u);
    EXPECT_TRUE(phrases.Index(Direction::ToTraditional).WholeLines());
    EXPECT_TRUE(phrases.Index(Direction::ToSimplified).WholeLines());
#ifndef _WIN32
    // Through a pipe (--phrase-file <(...)), which has no length to go by: the same file, not damage.
    TempDir dir;
    const std::string fifo = dir.File("words.fifo");
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    std::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the test
    std::thread writer([&] {
        std::ifstream in(kPhraseFileName, std::ios::binary);
        std::ofstream(fifo, std::ios::binary) << in.rdbuf();
    });
    PhraseTables piped;
    EXPECT_EQ(PhraseLoadResult::Loaded, LoadPhrases(piped, fifo));
    writer.join();
    EXPECT_EQ(phrases.Phrases(Direction::ToTraditional).size(),
              piped.Phrases(Direction::ToTraditional).size());
#endif
}

}  // namespace

namespace {

// Bounds the address space of the process while it lives (natively, without the sanitizers, which reserve
// far more): an allocation by a hostile count then fails here rather than taking the machine's memory.
class CMemoryBound {
  public:
    explicit CMemoryBound(std::uint64_t bytes) {
#ifdef ZENDRIX_LIMIT_MEMORY
        ::getrlimit(RLIMIT_AS, &m_old);
        const rlimit bound{bytes, m_old.rlim_max};
        m_set = ::setrlimit(RLIMIT_AS, &bound) == 0;
#else
        static_cast<void>(bytes);
#endif
    }
    ~CMemoryBound() {
#ifdef ZENDRIX_LIMIT_MEMORY
        if (m_set) ::setrlimit(RLIMIT_AS, &m_old);
#endif
    }

  private:
#ifdef ZENDRIX_LIMIT_MEMORY
    rlimit m_old{};
    bool m_set = false;
#endif
};

// The compatibility ideographs are found wherever they fall among windows of 64 bytes, whether a window
// begins with a character or with the trail byte of one before it, among characters whose trail bytes are FD
// or FE and among ASCII, up to a lone lead byte at the end: as a reading a character at a time finds them.
TEST(PhraseTableTest, CompatibilityIdeographsAreUnifiedWhereverTheyFall) {
    const std::string compat[] = {"\xfd\x9c", "\xfe\x50", "\xfd\xfe"};
    const std::string unified[] = {"\xc0\xc9", "\xb0\xa1", "\xb0\xa2"};
    PhraseTables phrases({{"CJK_Compatibility_Ideographs",
                           {{compat[0], unified[0]}, {compat[1], unified[1]}, {compat[2], unified[2]}}}},
                         {}, {});
    // Characters with the lead or the trail bytes at stake, others, ASCII.
    const std::string pieces[] = {compat[0],  compat[1],  compat[2],  "\xb0\xfe", "\xb0\xfd", "\xfe\xfe",
                                  "\xfd\x40", "\x81\x81", "\xc4\xe3", "a",        "\n",       "\xff"};
    std::mt19937 random(5);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (std::size_t count = random() % 200; count > 0; --count)
            text += pieces[random() % std::size(pieces)];
        if (round % 4 == 0) text += "\xfd";  // a lone lead byte
        std::string expected = text;
        for (std::size_t i = 0; i < expected.size();) {
            const auto b = static_cast<unsigned char>(expected[i]);
            if (b < 0x81 || b == 0xFF || i + 1 == expected.size()) {
                ++i;
                continue;
            }
            for (std::size_t k = 0; k < std::size(compat); ++k) {
                if (expected.compare(i, 2, compat[k]) == 0) expected.replace(i, 2, unified[k]);
            }
            i += 2;
        }
        phrases.Normalize(&text[0], text.size());
        ASSERT_EQ(expected, text) << "round " << round;
    }
}

// A count is only a claim: a sparse file of over a gigabyte may claim 200 million entries, which as lists
// would take gigabytes more than it holds. Loading reads what is there, fails as damaged, and allocates
// nothing by the count. A file of 2 GB or more is refused before reading: the index keeps 32-bit offsets.
TEST(PhraseTableTest, HostileCountsAndSizesAreDamageNotACrash) {
    TempDir dir;
    const CMemoryBound bound(std::uint64_t{2} << 30);
    for (const std::string& section : {std::string("dictionary STPhrases"), std::string("candidates s2t")}) {
        SCOPED_TRACE(section);
        std::vector<std::string> lines{kBanner};
        if (section == "candidates s2t") lines.push_back("dictionary STPhrases 0");
        lines.push_back(section + " 200000000");
        lines.push_back(kFuza + "\t" + kFuza2);
        lines.push_back("not an entry");
        const std::string path = dir.File("sparse.txt");
        WriteBytes(path, Join(lines));
        std::filesystem::resize_file(path, std::uintmax_t{1500} << 20);
        PhraseTables phrases;
        EXPECT_EQ(PhraseLoadResult::Damaged, LoadPhrases(phrases, path));
        EXPECT_TRUE(phrases.Phrases(Direction::ToTraditional).empty());
        EXPECT_TRUE(phrases.Candidates(Direction::ToTraditional).empty());
    }
    const std::string path = dir.File("large.txt");
    WriteBytes(path, Join(GoodLines()));
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31);
    PhraseTables phrases;
    EXPECT_EQ(PhraseLoadResult::Damaged, LoadPhrases(phrases, path));
}

}  // namespace
