// PhraseLoadFuzz.cpp: LoadPhrases on any file must accept exactly what a plain reading of the format (named
// dictionaries, then the candidates of both directions) accepts, load exactly those entries, leave nothing
// behind otherwise, and the lists it loads must convert as the literal rule does.
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
#include "fuzz/FuzzFile.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

// The lines as the classic text mode yields them: the input ends at the first 0x1A byte.
std::vector<std::string> TextModeLines(const std::string& bytes) {
    return testsupport::ReaderLines(bytes.substr(0, bytes.find('\x1a')));
}

bool GbkPair(const std::string& s, std::size_t k) {
    const auto lead = static_cast<unsigned char>(s[k]);
    if (k + 1 >= s.size()) return false;
    const auto trail = static_cast<unsigned char>(s[k + 1]);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

bool GbkPairs(const std::string& s) {
    if (s.empty() || s.size() % 2) return false;
    for (std::size_t k = 0; k < s.size(); k += 2) {
        if (!GbkPair(s, k)) return false;
    }
    return true;
}

// A dictionary's key or value: two-byte characters, at least one, with printable ASCII but the space among
// them.
bool EntryText(const std::string& s) {
    bool pairs = false;
    for (std::size_t k = 0; k < s.size();) {
        const auto b = static_cast<unsigned char>(s[k]);
        if (b > ' ' && b < 0x7F) {
            ++k;
        } else if (GbkPair(s, k)) {
            pairs = true;
            k += 2;
        } else {
            return false;
        }
    }
    return pairs;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

// A count as the headers write it: decimal digits, no sign, no leading zero.
bool Count(const std::string& digits, long& count) {
    if (digits.empty() || digits.size() > 7 || digits.find_first_not_of("0123456789") != std::string::npos ||
        (digits[0] == '0' && digits.size() > 1)) {
        return false;
    }
    count = std::stol(digits);
    return true;
}

// `count` entries from lines[at], keys in increasing byte order, each accepted by `valid`.
template <class Valid>
bool ReadEntries(const std::vector<std::string>& lines, std::size_t& at, long count, Valid&& valid,
                 Entries& entries) {
    std::string previous;
    for (; count > 0; --count) {
        if (at >= lines.size()) return false;
        const std::string& line = lines[at++];
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) return false;
        const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
        if (!valid(key, value) || key <= previous) return false;
        previous = key;
        entries.emplace_back(key, value);
    }
    return true;
}

// The format read plainly: true with the dictionaries by name, in order, and the two candidate sections, or
// false.
bool ReadPlainly(const std::vector<std::string>& lines,
                 std::vector<std::pair<std::string, Entries>>& dictionaries, Entries (&candidates)[2]) {
    if (lines.empty() || lines[0] != kPhraseBanner) return false;
    std::size_t at = 1;
    const std::string word = "dictionary ";
    while (at < lines.size() && lines[at].compare(0, word.size(), word) == 0) {
        const std::string rest = lines[at++].substr(word.size());
        const std::size_t space = rest.find(' ');
        if (space == std::string::npos || space == 0) return false;
        const std::string name = rest.substr(0, space);
        if (name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") !=
            std::string::npos) {
            return false;
        }
        for (const auto& d : dictionaries) {
            if (d.first == name) return false;
        }
        long count = 0;
        if (!Count(rest.substr(space + 1), count)) return false;
        dictionaries.emplace_back(name, Entries{});
        const auto valid = [](const std::string& key, const std::string& value) {
            return EntryText(key) && EntryText(value);
        };
        if (!ReadEntries(lines, at, count, valid, dictionaries.back().second)) return false;
    }
    const char* const names[] = {"candidates s2t ", "candidates t2s "};
    for (int section = 0; section < 2; ++section) {
        if (at >= lines.size()) return false;
        const std::string& header = lines[at++];
        const std::string name = names[section];
        long count = 0;
        if (header.compare(0, name.size(), name) != 0 ||
            !Count(header.substr(std::min(header.size(), name.size())), count)) {
            return false;
        }
        const auto valid = [](const std::string& key, const std::string& value) {
            if (!GbkPairs(key) || !GbkPairs(value) || key.size() != 2 || value.size() < 4) return false;
            for (std::size_t a = 0; a < value.size(); a += 2) {
                for (std::size_t b = a + 2; b < value.size(); b += 2) {
                    if (value.compare(a, 2, value, b, 2) == 0) return false;
                }
            }
            return true;
        };
        if (!ReadEntries(lines, at, count, valid, candidates[section])) return false;
    }
    return at == lines.size();
}

// What conversion by words takes from the dictionaries in a direction: the phrases, then the characters.
Entries Words(const std::vector<std::pair<std::string, Entries>>& dictionaries, const char* phrases,
              const char* characters) {
    Entries words;
    for (const char* name : {phrases, characters}) {
        for (const auto& d : dictionaries) {
            if (d.first == name) words.insert(words.end(), d.second.begin(), d.second.end());
        }
    }
    return words;
}

void Fail(const char* what) {
    std::fprintf(stderr, "LoadPhrases: %s\n", what);
    std::abort();
}

const std::string& FilePath() {
    static const std::string path = fuzzsupport::FuzzFilePath("phrase", ".txt");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) bytes.insert(0, std::string(kPhraseBanner) + "\r\n");
    std::string text;
    if ((data[0] & 2) && bytes.find('\x1a') != std::string::npos) text = bytes.substr(bytes.find('\x1a') + 1);

    if (!fuzzsupport::WriteFuzzFile(FilePath(), bytes)) Fail("cannot write the temporary file");
    PhraseTables phrases({{"stale", "stale"}}, {});
    const PhraseLoadResult result = LoadPhrases(phrases, FilePath());
    ::unlink(FilePath().c_str());

    std::vector<std::pair<std::string, Entries>> dictionaries;
    Entries candidates[2];
    const bool wellFormed = ReadPlainly(TextModeLines(bytes), dictionaries, candidates);
    if (result == PhraseLoadResult::NotOpenable) Fail("a written file is not openable");
    if ((result == PhraseLoadResult::Loaded) != wellFormed)
        Fail(wellFormed ? "refused a good file" : "took a bad one");
    if (!wellFormed) {
        if (!phrases.Phrases(Direction::ToTraditional).empty()) Fail("a damaged file left something loaded");
        return 0;
    }
    const Entries words[] = {Words(dictionaries, "STPhrases", "STCharacters"),
                             Words(dictionaries, "TSPhrases", "TSCharacters")};
    const std::vector<PhraseEntry>* lists[] = {&phrases.Phrases(Direction::ToTraditional),
                                               &phrases.Phrases(Direction::ToSimplified)};
    for (int direction = 0; direction < 2; ++direction) {
        if (lists[direction]->size() != words[direction].size()) Fail("wrong number of phrases");
        for (std::size_t k = 0; k < words[direction].size(); ++k) {
            if ((*lists[direction])[k].phrase != words[direction][k].first ||
                (*lists[direction])[k].counterpart != words[direction][k].second) {
                Fail("a phrase differs");
            }
        }
    }
    for (const auto& d : dictionaries) {
        if (phrases.Dictionary(d.first) == nullptr) Fail("a dictionary is missing");
    }
    if (phrases.Candidates(Direction::ToTraditional).size() != candidates[0].size() ||
        phrases.Candidates(Direction::ToSimplified).size() != candidates[1].size()) {
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
