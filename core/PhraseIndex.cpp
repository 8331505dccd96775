// PhraseIndex.cpp: building the trie of one direction's phrases.
#include "PhraseIndex.hpp"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <numeric>

#include "PhraseTable.hpp"

namespace {

struct Sequence {
    std::uint32_t begin;  // in the flat array of codes
    std::uint32_t size;
    std::uint32_t entry;
};

// The edge to each node but the root, in the order the nodes are made: node k + 1 is edges[k]'s child.
struct Edge {
    std::uint32_t parent;
    CharCode code;
    std::uint16_t level;  // the parent's depth, 2 for any deeper
};

void AppendCodes(const std::string& phrase, std::vector<CharCode>& codes) {
    const auto* s = reinterpret_cast<const unsigned char*>(phrase.data());
    std::size_t width;
    for (std::size_t q = 0; q < phrase.size(); q += width) {
        codes.push_back(PhraseDirectionIndex::CodeAt(s, phrase.size(), q, width));
    }
}

bool HoldsLineEnd(const std::string& bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
}

std::uint64_t LowBit(CharCode code) { return code < 0x40 ? std::uint64_t{1} << code : 0; }

bool EndsInLoneLead(const std::string& phrase) {
    if (phrase.empty() || !gbk::IsLeadByte(static_cast<unsigned char>(phrase.back()))) return false;
    std::size_t q = 0;
    while (q + 1 < phrase.size()) q += gbk::CharWidth(phrase, q);
    return q + 1 == phrase.size() && gbk::IsLeadByte(static_cast<unsigned char>(phrase.back()));
}

template <class T>
std::size_t Bytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

}  // namespace

PhraseDirectionIndex PhraseDirectionIndex::Build(const std::vector<PhraseEntry>& phrases,
                                                 const std::vector<CandidateEntry>& candidates) {
    return Build(std::vector<const std::vector<PhraseEntry>*>{&phrases}, candidates);
}

PhraseDirectionIndex PhraseDirectionIndex::Build(const std::vector<const std::vector<PhraseEntry>*>& lists,
                                                 const std::vector<CandidateEntry>& candidates) {
    PhraseDirectionIndex index;

    std::vector<CharCode> flat;
    std::vector<Sequence> sequences;
    std::vector<std::size_t> runEnds;  // where each list's sequences end
    std::size_t total = 0;
    std::size_t bytes = 0;
    std::size_t counterpartBytes = 0;
    for (const std::vector<PhraseEntry>* list : lists) {
        total += list->size();
        for (const PhraseEntry& phrase : *list) {
            bytes += phrase.phrase.size();
            counterpartBytes += phrase.counterpart.size();
        }
    }
    index.m_counterpartAt.reserve(total + 1);
    index.m_counterparts.reserve(counterpartBytes);
    flat.reserve(bytes);
    sequences.reserve(total);
    std::size_t entry = 0;
    for (const std::vector<PhraseEntry>* list : lists) {
        for (const PhraseEntry& phrase : *list) {
            ++entry;
            index.m_counterpartAt.push_back(static_cast<std::uint32_t>(index.m_counterparts.size()));
            index.m_counterparts += phrase.counterpart;
            if (phrase.phrase.empty()) continue;
            index.m_sameLengths &= phrase.counterpart.size() == phrase.phrase.size();
            // An empty counterpart could empty a last line that has no terminator, and a run would lose that
            // line.
            if (HoldsLineEnd(phrase.phrase) || HoldsLineEnd(phrase.counterpart) ||
                EndsInLoneLead(phrase.phrase) || phrase.counterpart.empty()) {
                index.m_wholeLines = false;
            }
            const auto begin = static_cast<std::uint32_t>(flat.size());
            AppendCodes(phrase.phrase, flat);
            sequences.push_back(Sequence{begin, static_cast<std::uint32_t>(flat.size() - begin),
                                         static_cast<std::uint32_t>(entry - 1)});
        }
        runEnds.push_back(sequences.size());
    }
    index.m_counterpartAt.push_back(static_cast<std::uint32_t>(index.m_counterparts.size()));
    for (const CharCode code : flat) index.m_lowBytes |= LowBit(code);

    // In code order, each phrase shares with the one before it exactly the nodes of their common prefix, and
    // of equal phrases the first listed comes first. A phrase file's dictionaries come in that order (byte
    // order is code order), so their runs need only merging.
    const auto before = [&](const Sequence& a, const Sequence& b) {
        return std::lexicographical_compare(flat.begin() + a.begin, flat.begin() + a.begin + a.size,
                                            flat.begin() + b.begin, flat.begin() + b.begin + b.size);
    };
    std::size_t runBegin = 0;
    bool runsSorted = true;
    for (const std::size_t runEnd : runEnds) {
        runsSorted =
            runsSorted && std::is_sorted(sequences.begin() + runBegin, sequences.begin() + runEnd, before);
        runBegin = runEnd;
    }
    if (runsSorted) {
        for (std::size_t k = 1; k < runEnds.size(); ++k) {
            std::inplace_merge(sequences.begin(), sequences.begin() + runEnds[k - 1],
                               sequences.begin() + runEnds[k], before);
        }
    } else {
        std::stable_sort(sequences.begin(), sequences.end(), before);
    }
    std::vector<Edge> edges;
    std::vector<CharCode> nodeCode{0};
    std::vector<std::int32_t> nodeEntry{kNoEntry};  // node 0 is the root
    edges.reserve(flat.size());
    nodeCode.reserve(flat.size() + 1);
    nodeEntry.reserve(flat.size() + 1);
    std::vector<std::uint32_t> path{0};
    const Sequence* previous = nullptr;
    for (const Sequence& sequence : sequences) {
        std::uint32_t shared = 0;
        while (previous != nullptr && shared < sequence.size && shared < previous->size &&
               flat[sequence.begin + shared] == flat[previous->begin + shared]) {
            ++shared;
        }
        path.resize(shared + 1);
        for (std::uint32_t depth = shared; depth < sequence.size; ++depth) {
            const auto child = static_cast<std::uint32_t>(nodeEntry.size());
            const CharCode code = flat[sequence.begin + depth];
            nodeEntry.push_back(kNoEntry);
            nodeCode.push_back(code);
            edges.push_back(
                Edge{path.back(), code, static_cast<std::uint16_t>(std::min<std::uint32_t>(depth, 2))});
            path.push_back(child);
        }
        std::int32_t& entry = nodeEntry[path.back()];
        if (entry == kNoEntry) entry = static_cast<std::int32_t>(sequence.entry);
        previous = &sequence;
    }
    index.m_empty = sequences.empty();
    index.m_characters = !sequences.empty() && std::all_of(sequences.begin(), sequences.end(),
                                                           [](const Sequence& s) { return s.size == 1; });

    // Children of nodes of depth 2 and more, grouped by parent in the order they were made, which is code
    // order; childBegin[node] to childBegin[node + 1] are the node's.
    const std::size_t nodes = nodeEntry.size();
    std::vector<std::uint32_t> childBegin(nodes + 1, 0);
    for (const Edge& edge : edges) {
        if (edge.level == 2) ++childBegin[edge.parent + 1];
    }
    for (std::size_t node = 0; node < nodes; ++node) childBegin[node + 1] += childBegin[node];
    index.m_children.resize(childBegin[nodes]);
    index.m_childCodes.resize(childBegin[nodes]);
    std::vector<std::uint32_t> filled(childBegin.begin(), childBegin.end() - 1);
    for (std::uint32_t child = 1; child < nodes; ++child) {
        const Edge& edge = edges[child - 1];
        if (edge.level == 2) {
            index.m_childCodes[filled[edge.parent]] = edge.code;
            index.m_children[filled[edge.parent]++] =
                Node{nodeEntry[child], childBegin[child], childBegin[child + 1]};
        }
    }

    // The first two characters of each phrase of two, the first three of each longer one, both two-byte
    // characters (a one-byte third one gives the first two): a bit each, in 32 bits or more per key.
    int goOnBits = 16;
    while (goOnBits < 20 && (std::size_t{1} << goOnBits) < 32 * sequences.size()) ++goOnBits;
    index.m_goOnBits = goOnBits;
    index.m_goOn.assign(std::size_t{1} << (goOnBits - 6), 0);
    for (const Sequence& sequence : sequences) index.MarkGoOn(flat.data() + sequence.begin, sequence.size);

    // Root edges give the first codes; nodes of depth 2, and one-code phrases, go to the pair table.
    std::size_t pairCount = 0;
    for (std::uint32_t child = 1; child < nodes; ++child) {
        const Edge& edge = edges[child - 1];
        if (edge.level == 0) {
            const bool alone = nodeEntry[child] != kNoEntry;
            index.m_starts.AddFirst(edge.code, alone);
            pairCount += alone;
        } else if (edge.level == 1) {
            ++pairCount;
        }
    }
    index.m_starts.SizePairs(pairCount);
    index.m_pairBits = 4;
    while ((std::size_t{2} << index.m_pairBits) < 3 * pairCount) ++index.m_pairBits;
    index.m_pairSlots.assign(std::size_t{1} << index.m_pairBits, PairSlot{kEmptyKey, Node{kNoEntry, 0, 0}});
    auto insertPair = [&](CharCode first, CharCode second, std::uint32_t node) {
        const std::uint32_t key = std::uint32_t{first} << 16 | second;
        std::size_t slot = PairHash(key, index.m_pairBits);
        while (index.m_pairSlots[slot].key != kEmptyKey) slot = (slot + 1) & (index.m_pairSlots.size() - 1);
        index.m_pairSlots[slot].key = key;
        // A one-code phrase's node gives its entry only: its children are found through the pairs.
        index.m_pairSlots[slot].node = second == kAlone
                                           ? Node{nodeEntry[node], 0, 0}
                                           : Node{nodeEntry[node], childBegin[node], childBegin[node + 1]};
    };
    for (std::uint32_t child = 1; child < nodes; ++child) {
        const Edge& edge = edges[child - 1];
        if (edge.level == 0 && nodeEntry[child] != kNoEntry) insertPair(edge.code, kAlone, child);
        if (edge.level == 1) {
            insertPair(nodeCode[edge.parent], edge.code, child);
            index.m_starts.AddPair(nodeCode[edge.parent], edge.code);
        }
    }
    for (const CandidateEntry& candidate : candidates) {
        const auto* s = reinterpret_cast<const unsigned char*>(candidate.character.data());
        std::size_t width = 0;
        if (candidate.character.empty()) continue;
        const CharCode code = CodeAt(s, candidate.character.size(), 0, width);
        if (width == candidate.character.size())
            index.m_forms.emplace(code, candidate.forms);  // first counts
    }
    return index;
}

void PhraseDirectionIndex::MarkGoOn(const CharCode* codes, std::size_t count) {
    if (count < 2 || codes[0] < 0x100 || codes[1] < 0x100) return;
    // The bytes of two-byte codes as a text's bytes load.
    const unsigned char bytes[6] = {static_cast<unsigned char>(codes[0] >> 8),
                                    static_cast<unsigned char>(codes[0]),
                                    static_cast<unsigned char>(codes[1] >> 8),
                                    static_cast<unsigned char>(codes[1]),
                                    static_cast<unsigned char>(count > 2 ? codes[2] >> 8 : 0),
                                    static_cast<unsigned char>(count > 2 ? codes[2] : 0)};
    std::uint32_t pair;
    std::memcpy(&pair, bytes, 4);
    std::uint32_t bit = PairKey(pair);
    if (count > 2 && codes[2] >= 0x100) {
        std::uint16_t third;
        std::memcpy(&third, bytes + 4, 2);
        bit = TripleKey(pair, third);
    }
    m_goOn[bit >> 6] |= std::uint64_t{1} << (bit & 63);
}

namespace {

template <class List>
List WithRoom(const List& list, std::size_t more) {
    List copy;
    copy.reserve(list.size() + more);
    copy.assign(list.begin(), list.end());
    return copy;
}

}  // namespace

PhraseDirectionIndex::PhraseDirectionIndex(const PhraseDirectionIndex& from, std::size_t moreChildren,
                                           std::size_t moreEntries, std::size_t moreBytes)
    : m_starts(from.m_starts),
      m_goOn(from.m_goOn),
      m_goOnBits(from.m_goOnBits),
      m_sameLengths(from.m_sameLengths),
      m_pairSlots(from.m_pairSlots),
      m_pairBits(from.m_pairBits),
      m_empty(from.m_empty),
      m_characters(from.m_characters),
      m_childCodes(WithRoom(from.m_childCodes, moreChildren)),
      m_children(WithRoom(from.m_children, moreChildren)),
      m_counterparts(WithRoom(from.m_counterparts, moreBytes)),
      m_counterpartAt(WithRoom(from.m_counterpartAt, moreEntries)),
      m_wholeLines(from.m_wholeLines),
      m_lowBytes(from.m_lowBytes),
      m_forms(from.m_forms) {}

PhraseDirectionIndex PhraseDirectionIndex::WithPhrases(const std::vector<PhraseEntry>& more) const {
    std::size_t moreBytes = 0;
    for (const PhraseEntry& phrase : more) moreBytes += phrase.counterpart.size();
    // Room only: memory reserved and never written costs nothing. A phrase moves a node's children at most
    // at each of its characters from the third on; most nodes have few.
    PhraseDirectionIndex index(*this, 16 * more.size(), more.size(), moreBytes);
    std::size_t pairs = 0;
    for (const PairSlot& slot : m_pairSlots) pairs += slot.key != kEmptyKey;
    std::vector<CharCode> codes;
    for (const PhraseEntry& phrase : more) {
        const auto entry = static_cast<std::int32_t>(index.Entries());
        index.m_counterparts += phrase.counterpart;
        index.m_counterpartAt.push_back(static_cast<std::uint32_t>(index.m_counterparts.size()));
        if (phrase.phrase.empty()) continue;
        index.m_sameLengths &= phrase.counterpart.size() == phrase.phrase.size();
        if (HoldsLineEnd(phrase.phrase) || HoldsLineEnd(phrase.counterpart) ||
            EndsInLoneLead(phrase.phrase) || phrase.counterpart.empty()) {
            index.m_wholeLines = false;
        }
        codes.clear();
        AppendCodes(phrase.phrase, codes);
        for (const CharCode code : codes) index.m_lowBytes |= LowBit(code);
        index.m_characters = (index.m_empty || index.m_characters) && codes.size() == 1;
        index.m_empty = false;
        index.m_starts.AddFirst(codes[0], codes.size() == 1);
        // Nodes of depth 1 and 2 are found by their key in the pair table (kept at most two thirds full),
        // deeper ones among their parent's children: a node that gains a child has its children moved to the
        // end.
        if (3 * (pairs + 1) > 2 * index.m_pairSlots.size()) index.GrowPairs();
        const CharCode second = codes.size() == 1 ? kAlone : codes[1];
        const std::uint32_t key = std::uint32_t{codes[0]} << 16 | second;
        std::size_t slot = PairHash(key, index.m_pairBits);
        while (index.m_pairSlots[slot].key != key && index.m_pairSlots[slot].key != kEmptyKey)
            slot = (slot + 1) & (index.m_pairSlots.size() - 1);
        if (index.m_pairSlots[slot].key == kEmptyKey) {
            index.m_pairSlots[slot] = PairSlot{key, Node{kNoEntry, 0, 0}};
            ++pairs;
        }
        if (second != kAlone) {
            index.m_starts.AddPair(codes[0], second);
            index.MarkGoOn(codes.data(), codes.size());
        }
        Node* node = &index.m_pairSlots[slot].node;
        for (std::size_t depth = 2; depth < codes.size(); ++depth) {
            std::uint32_t at = node->childBegin;
            while (at < node->childEnd && index.m_childCodes[at] < codes[depth]) ++at;
            if (at == node->childEnd || index.m_childCodes[at] != codes[depth]) {
                const auto moved = static_cast<std::uint32_t>(index.m_children.size());
                const std::uint32_t begin = node->childBegin;
                const std::uint32_t end = node->childEnd;
                // Copies first: the vectors may move as they grow, and the node with them.
                std::vector<CharCode> childCodes(index.m_childCodes.begin() + begin,
                                                 index.m_childCodes.begin() + end);
                std::vector<Node> children(index.m_children.begin() + begin, index.m_children.begin() + end);
                childCodes.insert(childCodes.begin() + (at - begin), codes[depth]);
                children.insert(children.begin() + (at - begin), Node{kNoEntry, 0, 0});
                node->childBegin = moved;
                node->childEnd = moved + static_cast<std::uint32_t>(children.size());
                index.m_childCodes.insert(index.m_childCodes.end(), childCodes.begin(), childCodes.end());
                index.m_children.insert(index.m_children.end(), children.begin(), children.end());
                at = moved + (at - begin);
            }
            node = &index.m_children[at];
        }
        if (node->entry == kNoEntry) node->entry = entry;  // of equal phrases the first counts
    }
    return index;
}

void PhraseDirectionIndex::GrowPairs() {
    std::vector<PairSlot> slots = std::move(m_pairSlots);
    ++m_pairBits;
    m_pairSlots.assign(std::size_t{1} << m_pairBits, PairSlot{kEmptyKey, Node{kNoEntry, 0, 0}});
    for (const PairSlot& pair : slots) {
        if (pair.key == kEmptyKey) continue;
        std::size_t slot = PairHash(pair.key, m_pairBits);
        while (m_pairSlots[slot].key != kEmptyKey) slot = (slot + 1) & (m_pairSlots.size() - 1);
        m_pairSlots[slot] = pair;
    }
}

std::size_t PhraseDirectionIndex::MemoryBytes() const {
    // A node of the map per character, and its forms, which are short enough to sit inside their strings.
    const std::size_t forms = std::accumulate(
        m_forms.begin(), m_forms.end(), std::size_t{0}, [](std::size_t sum, const auto& entry) {
            return sum + sizeof(entry) + 2 * sizeof(void*) + Bytes(entry.second);
        });
    return m_starts.MemoryBytes() + Bytes(m_pairSlots) + Bytes(m_childCodes) + Bytes(m_children) +
           m_counterparts.capacity() + Bytes(m_counterpartAt) + forms +
           m_forms.bucket_count() * sizeof(void*);
}
