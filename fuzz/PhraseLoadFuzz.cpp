// PhraseLoadFuzz.cpp: LoadPhrases on any file must accept exactly what a plain reading of the format accepts,
// load exactly those entries, leave nothing behind otherwise, and the lists it loads must convert as the
// literal rule does.
//
// Input: one control byte, then the file's bytes. With bit 0 of the control byte set the banner line is put
// in front of them, so that the fuzzer spends its time past it; with bit 1 set, a text to convert follows the
// first 0x1A byte (which ends the file for the reader).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ConvertWords.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

// The lines as the classic text mode yields them: the input ends at the first 0x1A byte.
std::vector<std::string> TextModeLines(const std::string& bytes) {
    return testsupport::ReaderLines(bytes.substr(0, bytes.find('\x1a')));
}

bool GbkPairs(const std::string& s) {
    if (s.empty() || s.size() % 2) return false;
    for (std::size_t k = 0; k < s.size(); k += 2) {
        const auto lead = static_cast<unsigned char>(s[k]), trail = static_cast<unsigned char>(s[k + 1]);
        if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
    }
    return true;
}

// The format read plainly: true with the four sections as key/value pairs, or false.
bool ReadPlainly(const std::vector<std::string>& lines,
                 std::vector<std::pair<std::string, std::string>> (&sections)[4]) {
    const char* const names[] = {"s2t phrases ", "t2s phrases ", "s2t candidates ", "t2s candidates "};
    if (lines.empty() || lines[0] != kPhraseBanner) return false;
    std::size_t at = 1;
    for (int section = 0; section < 4; ++section) {
        if (at >= lines.size()) return false;
        const std::string& header = lines[at++];
        const std::string name = names[section];
        const std::string digits = header.substr(std::min(header.size(), name.size()));
        if (header.compare(0, name.size(), name) != 0 || digits.empty() || digits.size() > 7 ||
            digits.find_first_not_of("0123456789") != std::string::npos ||
            (digits[0] == '0' && digits.size() > 1)) {
            return false;
        }
        std::string previous;
        for (long count = std::stol(digits); count > 0; --count) {
            if (at >= lines.size()) return false;
            const std::string& line = lines[at++];
            const std::size_t tab = line.find('\t');
            if (tab == std::string::npos) return false;
            const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
            if (!GbkPairs(key) || !GbkPairs(value) || key <= previous) return false;
            if (section >= 2) {
                if (key.size() != 2 || value.size() < 4) return false;
                for (std::size_t a = 0; a < value.size(); a += 2) {
                    for (std::size_t b = a + 2; b < value.size(); b += 2) {
                        if (value.compare(a, 2, value, b, 2) == 0) return false;
                    }
                }
            }
            previous = key;
            sections[section].emplace_back(key, value);
        }
    }
    return at == lines.size();
}

void Fail(const char* what) {
    std::fprintf(stderr, "LoadPhrases: %s\n", what);
    std::abort();
}

const std::string& FilePath() {
    static const std::string path = "/tmp/zendrix-phrase-fuzz-" + std::to_string(::getpid()) + ".txt";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) bytes.insert(0, std::string(kPhraseBanner) + "\r\n");
    std::string text;
    if ((data[0] & 2) && bytes.find('\x1a') != std::string::npos) text = bytes.substr(bytes.find('\x1a') + 1);

    std::FILE* file = std::fopen(FilePath().c_str(), "wb");
    if (!file) Fail("cannot write the temporary file");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    PhraseTables phrases({{"stale", "stale"}}, {});
    const PhraseLoadResult result = LoadPhrases(phrases, FilePath());
    ::unlink(FilePath().c_str());

    std::vector<std::pair<std::string, std::string>> sections[4];
    const bool wellFormed = ReadPlainly(TextModeLines(bytes), sections);
    if (result == PhraseLoadResult::NotOpenable) Fail("a written file is not openable");
    if ((result == PhraseLoadResult::Loaded) != wellFormed)
        Fail(wellFormed ? "refused a good file" : "took a bad one");
    if (!wellFormed) {
        if (!phrases.Phrases(Direction::ToTraditional).empty()) Fail("a damaged file left something loaded");
        return 0;
    }
    const std::vector<PhraseEntry>* lists[] = {&phrases.Phrases(Direction::ToTraditional),
                                               &phrases.Phrases(Direction::ToSimplified)};
    for (int section = 0; section < 2; ++section) {
        if (lists[section]->size() != sections[section].size()) Fail("wrong number of phrases");
        for (std::size_t k = 0; k < sections[section].size(); ++k) {
            if ((*lists[section])[k].phrase != sections[section][k].first ||
                (*lists[section])[k].counterpart != sections[section][k].second) {
                Fail("a phrase differs");
            }
        }
    }
    if (phrases.Candidates(Direction::ToTraditional).size() != sections[2].size() ||
        phrases.Candidates(Direction::ToSimplified).size() != sections[3].size()) {
        Fail("wrong number of candidates");
    }
    const CharTables tables{"\xb0\xa1\xb0\xa2", "\xb0\xa3\xb0\xa4"};
    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        std::string fast = text, literal = text;
        ConvertWords(fast, direction, tables, phrases);
        ConvertWordsLiteral(literal, direction, tables, phrases);
        if (fast != literal) Fail("loaded phrases convert unlike the literal rule");
    }
    return 0;
}
