// PhraseIndex.hpp: the phrases of one direction as a trie over character codes, for the longest match at a
// position in a few lookups.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ConversionIndex.hpp"
#include "Gbk.hpp"
#include "PhraseStarts.hpp"

struct PhraseEntry;
struct CandidateEntry;

// A byte string matches at a character boundary of a text exactly when the text's characters from there are
// the string's own characters (CharCode, with a lone lead byte at the end as its byte) and the string does
// not end in the middle of one of the text's characters. So phrases are matched as sequences of codes; a
// phrase ending in a lone lead byte then matches only a text that ends in that lone lead byte, as a byte
// search at boundaries would have it.
struct PhraseMatch {
    std::size_t length = 0;  // bytes of the text covered; 0: no phrase starts here
    std::uint32_t entry = 0;
};

class PhraseDirectionIndex {
  public:
    PhraseDirectionIndex() = default;

    // Character code and width at q, a character boundary of s[0, n).
    static CharCode CodeAt(const unsigned char* s, std::size_t n, std::size_t q, std::size_t& width) {
        if (gbk::IsLeadByte(s[q]) && q + 1 < n) {
            width = 2;
            return static_cast<CharCode>(s[q] << 8 | s[q + 1]);
        }
        width = 1;
        return s[q];
    }

    bool Empty() const { return m_empty; }

    // Where phrases may begin (PhraseStarts.hpp): most characters of a text begin none.
    const CPhraseStarts& Starts() const { return m_starts; }
    // Cheap first test: false means that no phrase begins with this character.
    bool MayStart(CharCode code) const { return m_starts.MayStart(code); }

    // Every phrase is one character long: a dictionary of characters.
    bool Characters() const { return m_characters; }
    // The one-byte characters below 0x40 that some phrase holds, a bit each (bit b for the byte b): a line
    // may be cut after any other such character without a phrase reaching over the cut.
    std::uint64_t LowBytes() const { return m_lowBytes; }
    // Calls take(code, counterpart, size) for each phrase of one character.
    template <class Take>
    void ForEachCharacter(Take&& take) const {
        for (std::uint32_t code = 0; code < 0x10000; ++code) {
            if (!m_starts.Alone(static_cast<CharCode>(code))) continue;
            const auto entry =
                static_cast<std::uint32_t>(FindPair(static_cast<CharCode>(code), kAlone)->entry);
            take(static_cast<CharCode>(code), Counterpart(entry), CounterpartSize(entry));
        }
    }

    // Some phrase begins with a one-byte character.
    bool OneBytePhrases() const { return m_starts.OneBytePhrases(); }
    // Every counterpart has its phrase's length in bytes, so phrases can be written over a converted copy.
    bool SameLengths() const { return m_sameLengths; }

    // The longest phrase that starts at the character boundary p of s[0, n).
    PhraseMatch Longest(const unsigned char* s, std::size_t n, std::size_t p) const {
        PhraseMatch best;
        ForEachMatch(s, n, p, [&](std::int32_t entry, std::size_t length) { Keep(entry, length, best); });
        return best;
    }
    // For an index of two lists, one after the other: the longest phrase from p of the entries before
    // `split`, and of those from it, in one walk.
    void LongestOfTwo(const unsigned char* s, std::size_t n, std::size_t p, std::uint32_t split,
                      PhraseMatch& before, PhraseMatch& from) const {
        before = PhraseMatch{};
        from = PhraseMatch{};
        ForEachMatch(s, n, p, [&](std::int32_t entry, std::size_t length) {
            const bool first = static_cast<std::uint32_t>(entry) < split;  // kNoEntry is neither
            Keep(first ? entry : kNoEntry, length, before);
            Keep(first ? kNoEntry : entry, length, from);
        });
    }

    // Entries, numbered from 0 (PhraseMatch::entry).
    std::uint32_t Entries() const {
        return m_counterpartAt.empty() ? 0 : static_cast<std::uint32_t>(m_counterpartAt.size() - 1);
    }
    // Calls take(codes, count, entry) for every phrase, as the codes of its characters, each pair's node and
    // then its children depth first, in code order.
    template <class Take>
    void ForEachPhrase(Take&& take) const {
        std::vector<CharCode> codes;
        // The children still to visit at each depth below the pair's node: a stack of its own, since a
        // phrase file may hold a phrase of any length.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> levels;
        for (const PairSlot& slot : m_pairSlots) {
            if (slot.key == kEmptyKey) continue;
            codes.assign({static_cast<CharCode>(slot.key >> 16), static_cast<CharCode>(slot.key & 0xFFFF)});
            if (codes[1] == kAlone) codes.pop_back();
            TakeIfPhrase(slot.node, codes, take);
            levels.assign(1, {slot.node.childBegin, slot.node.childEnd});
            while (!levels.empty()) {
                if (levels.back().first == levels.back().second) {
                    levels.pop_back();
                    if (!levels.empty()) codes.pop_back();  // the child whose children are done
                    continue;
                }
                const std::uint32_t child = levels.back().first++;
                codes.push_back(m_childCodes[child]);
                TakeIfPhrase(m_children[child], codes, take);
                levels.emplace_back(m_children[child].childBegin, m_children[child].childEnd);
            }
        }
    }

    const char* Counterpart(std::uint32_t entry) const {
        return m_counterparts.data() + m_counterpartAt[entry];
    }
    std::size_t CounterpartSize(std::uint32_t entry) const {
        return m_counterpartAt[entry + 1] - m_counterpartAt[entry];
    }

    // Converting a run of whole lines as one text finds the same phrases as converting each line alone, and
    // the result splits into the same lines: no phrase holds a CR or LF byte or ends in a lone lead byte, and
    // no counterpart holds a CR or LF byte or is empty.
    bool WholeLines() const { return m_wholeLines; }

    // The forms a character may take (the candidates of the review list), or null.
    const std::vector<std::string>* Forms(CharCode code) const {
        const auto found = m_forms.find(code);
        return found == m_forms.end() ? nullptr : &found->second;
    }

    // Bytes held by the index, for the memory figure.
    std::size_t MemoryBytes() const;

    // This index with the phrases of `more` after its own entries (numbered from Entries()), found as Build
    // would find them in the two lists one after the other: a phrase it has already keeps its entry.
    PhraseDirectionIndex WithPhrases(const std::vector<PhraseEntry>& more) const;

    static PhraseDirectionIndex Build(const std::vector<PhraseEntry>& phrases,
                                      const std::vector<CandidateEntry>& candidates);
    // The entries of several lists, one after the other, as one list.
    static PhraseDirectionIndex Build(const std::vector<const std::vector<PhraseEntry>*>& lists,
                                      const std::vector<CandidateEntry>& candidates);

  private:
    // The second code of a one-code phrase's key in the pair table: 0xFF is no lead byte, so no character
    // of a text has this code.
    static constexpr CharCode kAlone = 0xFFFF;
    static constexpr std::int32_t kNoEntry = -1;

    // No key of a pair: its first code would be 0xFFFF, and 0xFF is no lead byte.
    static constexpr std::uint32_t kEmptyKey = 0xFFFFFFFF;

    // What a match needs of a node: nodes of depth 2 (and of depth 1, as the first code and kAlone) are found
    // by a key of their two codes, deeper ones among their parent's children; either way one place holds it.
    struct Node {
        std::int32_t entry;  // the phrase ending here, or kNoEntry
        std::uint32_t childBegin;
        std::uint32_t childEnd;
    };

    // Calls keep(entry, length) for each node that the text from p reaches, shortest first (entry kNoEntry
    // for a node where no phrase ends).
    template <class KeepMatch>
    void ForEachMatch(const unsigned char* s, std::size_t n, std::size_t p, KeepMatch&& keep) const {
        std::size_t width;
        const CharCode first = CodeAt(s, n, p, width);
        std::size_t q = p + width;
        if (m_starts.Alone(first)) keep(FindPair(first, kAlone)->entry, q - p);
        if (q >= n || (p + 6 <= n && !MayGoOn(s + p))) return;
        const Node* pair = FindPair(first, CodeAt(s, n, q, width));
        if (pair == nullptr) return;
        q += width;
        keep(pair->entry, q - p);
        std::uint32_t begin = pair->childBegin;
        std::uint32_t end = pair->childEnd;
        while (begin < end && q < n) {
            const Node* child = Child(begin, end, CodeAt(s, n, q, width));
            if (child == nullptr) break;
            q += width;
            keep(child->entry, q - p);
            begin = child->childBegin;
            end = child->childEnd;
        }
    }

    // Without a branch: whether a phrase ends at a node is as good as random.
    static void Keep(std::int32_t entry, std::size_t length, PhraseMatch& best) {
        const bool ends = entry != kNoEntry;
        best.length = ends ? length : best.length;
        best.entry = ends ? static_cast<std::uint32_t>(entry) : best.entry;
    }

    static std::size_t PairHash(std::uint32_t key, int bits) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    }

    // A copy of `from` whose lists of children and counterparts have room for what WithPhrases adds (they
    // would move as they double); everything else as it is.
    PhraseDirectionIndex(const PhraseDirectionIndex& from, std::size_t moreChildren, std::size_t moreEntries,
                         std::size_t moreBytes);

    // Sets the bit of MayGoOn for a phrase of these codes.
    void MarkGoOn(const CharCode* codes, std::size_t count);
    void GrowPairs();

    // Whether a phrase of two codes or more may begin at `at`, six bytes of text: false only when its first
    // three characters are two-byte ones that begin no phrase of three or more, and its first two no phrase
    // of two. Most places the start filters let through fail here, with one or two loads from a small bit
    // table instead of a walk through the large pair table.
    bool MayGoOn(const unsigned char* at) const {
        if (!gbk::IsLeadByte(at[0]) || !gbk::IsLeadByte(at[2])) return true;
        std::uint32_t pair;
        std::memcpy(&pair, at, 4);
        if (Bit(m_goOn, PairKey(pair))) return true;
        if (!gbk::IsLeadByte(at[4])) return true;
        std::uint16_t third;
        std::memcpy(&third, at + 4, 2);
        return Bit(m_goOn, TripleKey(pair, third));
    }
    std::uint32_t PairKey(std::uint32_t pair) const { return (pair * 0x9E3779B1u) >> (32 - m_goOnBits); }
    std::uint32_t TripleKey(std::uint32_t pair, std::uint16_t third) const {
        const std::uint64_t key = std::uint64_t{pair} << 16 | third;
        return static_cast<std::uint32_t>((key * 0xD6E8FEB86659FD93ull) >> (64 - m_goOnBits));
    }
    static bool Bit(const std::vector<std::uint64_t>& bits, std::uint32_t at) {
        return (bits[at >> 6] >> (at & 63)) & 1;
    }

    // A key with its node: a look-up that finds its key has its node in the same cache line.
    struct PairSlot {
        std::uint32_t key;
        Node node;
    };

    const Node* FindPair(CharCode first, CharCode second) const {
        const std::uint32_t key = std::uint32_t{first} << 16 | second;
        for (std::size_t slot = PairHash(key, m_pairBits);; slot = (slot + 1) & (m_pairSlots.size() - 1)) {
            if (m_pairSlots[slot].key == key) return &m_pairSlots[slot].node;
            if (m_pairSlots[slot].key == kEmptyKey) return nullptr;
        }
    }

    template <class TakePhrase>
    static void TakeIfPhrase(const Node& node, const std::vector<CharCode>& codes, TakePhrase& take) {
        if (node.entry != kNoEntry) take(codes.data(), codes.size(), static_cast<std::uint32_t>(node.entry));
    }

    // Most nodes have one or two children, in code order; their codes lie apart from the rest, so that a node
    // with many children is searched in few cache lines.
    const Node* Child(std::uint32_t begin, std::uint32_t end, CharCode code) const {
        if (end - begin > 16) {
            // A user's list of terms can give one node thousands of children.
            const CharCode* codes = m_childCodes.data();
            begin = static_cast<std::uint32_t>(std::lower_bound(codes + begin, codes + end, code) - codes);
            return begin < end && codes[begin] == code ? &m_children[begin] : nullptr;
        }
        for (; begin < end; ++begin) {
            if (m_childCodes[begin] >= code)
                return m_childCodes[begin] == code ? &m_children[begin] : nullptr;
        }
        return nullptr;
    }

    CPhraseStarts m_starts;
    std::vector<std::uint64_t> m_goOn = std::vector<std::uint64_t>(1, ~std::uint64_t{0});  // MayGoOn
    int m_goOnBits = 6;
    bool m_sameLengths = true;
    std::vector<PairSlot> m_pairSlots;  // open addressing, a power of two in size, at most 2/3 full
    int m_pairBits = 0;
    bool m_empty = true;
    bool m_characters = false;
    std::vector<CharCode> m_childCodes;
    std::vector<Node> m_children;
    std::string m_counterparts;
    std::vector<std::uint32_t> m_counterpartAt;  // per entry, and one past the last
    bool m_wholeLines = true;
    std::uint64_t m_lowBytes = 0;
    std::unordered_map<CharCode, std::vector<std::string>> m_forms;
};

// Both directions, built with the phrases (PhraseTables), which never change afterwards.
struct PhraseIndex {
    PhraseDirectionIndex toTraditional;
    PhraseDirectionIndex toSimplified;
};
