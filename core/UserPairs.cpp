// UserPairs.cpp: reading the user's own pairs.
#include "UserPairs.hpp"

#include <climits>
#include <vector>

#include "PhraseIndex.hpp"
#include "PhraseScan.hpp"
#include "PhraseTable.hpp"
#include "Transcode.hpp"
#include "platform/TextFile.hpp"

const char kUserPairsFileName[] = "Runewords-user.txt";

namespace {

// Text of UTF-8 in GBK; false when a byte is no UTF-8 or a character is none GBK holds.
bool ToGbk(const std::string& utf8Text, std::string& gbkText) {
    text::Unwritable unwritable;
    return text::TranscodeLine(TextEncoding::Utf8, utf8Text.data(), utf8Text.size(), TextEncoding::Gbk,
                               gbkText, unwritable);
}

}  // namespace

CUserPairs::CUserPairs() : m_index(std::make_unique<PhraseDirectionIndex>()) {}
CUserPairs::~CUserPairs() = default;

bool CUserPairs::Empty() const { return m_index->Empty(); }

void CUserPairs::Cut(const char* text, std::size_t size,
                     const std::function<void(std::size_t, std::size_t)>& between,
                     const std::function<void(const char*, std::size_t)>& pair) const {
    const PhraseDirectionIndex& pairs = *m_index;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    std::size_t uncovered = 0;
    phrasescan::ForEachPossibleStart(s, size, pairs.Starts(), [&](std::size_t p) -> std::size_t {
        const PhraseMatch match = pairs.Longest(s, size, p);
        if (match.length == 0) return 0;
        between(uncovered, p);
        pair(pairs.Counterpart(match.entry), pairs.CounterpartSize(match.entry));
        uncovered = p + match.length;
        return uncovered;
    });
    between(uncovered, size);
}

bool CUserPairs::Load(const std::string& path, std::string& error) {
    m_index = std::make_unique<PhraseDirectionIndex>();
    platform::CTextReader file;
    if (!file.Open(path)) {
        error = "cannot open " + path;
        return false;
    }
    // The index keeps its offsets in 32 bits, as the phrase file's does.
    if (file.Length() > INT32_MAX) {
        error = path + ": too large (2 GB at most)";
        return false;
    }
    file.SetLayout(platform::LineLayout{1, false, false}, 0);
    std::vector<PhraseEntry> pairs;
    std::vector<std::size_t> lineOf;
    std::string line;
    for (std::size_t number = 1; file.ReadLine(line); ++number) {
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
            while (!line.empty() && line.back() == ' ') line.pop_back();  // the spaces before a comment
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const std::size_t tab = line.find('\t');
        PhraseEntry pair;
        const auto where = path + ", line " + std::to_string(number) + ": ";
        if (tab == 0 || tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
            error = where + "not a pair FROM<TAB>TO";
            return false;
        }
        if (!ToGbk(line.substr(0, tab), pair.phrase) || !ToGbk(line.substr(tab + 1), pair.counterpart)) {
            error = where + "not UTF-8, or a character GBK cannot hold";
            return false;
        }
        pairs.push_back(std::move(pair));
        lineOf.push_back(number);
    }
    if (file.Failed()) {
        error = "cannot read " + path;
        return false;
    }
    *m_index = PhraseDirectionIndex::Build(pairs, {});
    // One FROM with two TOs would leave the user guessing which wins: the first line that gives a second one
    // is refused. The same pair twice is harmless. Of equal FROMs the index holds the first.
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto* from = reinterpret_cast<const unsigned char*>(pairs[k].phrase.data());
        const std::size_t held = m_index->Longest(from, pairs[k].phrase.size(), 0).entry;
        if (held != k && pairs[held].counterpart != pairs[k].counterpart) {
            error = path + ", line " + std::to_string(lineOf[k]) + ": its FROM is at line " +
                    std::to_string(lineOf[held]) + " already, with another TO";
            m_index = std::make_unique<PhraseDirectionIndex>();
            return false;
        }
    }
    return true;
}
