// PhraseIndex.cpp: building the trie of one direction's phrases.
#include "PhraseIndex.hpp"

#include <algorithm>

#include "PhraseTable.hpp"

namespace {

struct Sequence {
    std::uint32_t begin;  // in the flat array of codes
    std::uint32_t size;
    std::uint32_t entry;
};

struct Edge {
    std::uint32_t parent;
    std::uint32_t depth;  // of the parent
    CharCode code;
    std::uint32_t child;
};

void AppendCodes(const std::string& phrase, std::vector<CharCode>& codes) {
    const auto* s = reinterpret_cast<const unsigned char*>(phrase.data());
    std::size_t width;
    for (std::size_t q = 0; q < phrase.size(); q += width) {
        codes.push_back(PhraseDirectionIndex::CodeAt(s, phrase.size(), q, width));
    }
}

bool HoldsLineEnd(const std::string& bytes) { return bytes.find_first_of("\r\n") != std::string::npos; }

bool EndsInLoneLead(const std::string& phrase) {
    std::size_t q = 0;
    while (q + 1 < phrase.size()) q += gbk::CharWidth(phrase, q);
    return q + 1 == phrase.size() && gbk::IsLeadByte(static_cast<unsigned char>(phrase.back()));
}

void SetBit(std::vector<std::uint64_t>& bits, CharCode code) { bits[code >> 6] |= std::uint64_t{1} << (code & 63); }

template <class T>
std::size_t Bytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

}  // namespace

PhraseDirectionIndex PhraseDirectionIndex::Build(const std::vector<PhraseEntry>& phrases,
                                                 const std::vector<CandidateEntry>& candidates) {
    PhraseDirectionIndex index;

    std::vector<CharCode> flat;
    std::vector<Sequence> sequences;
    index.m_counterpartAt.reserve(phrases.size() + 1);
    for (std::size_t entry = 0; entry < phrases.size(); ++entry) {
        const PhraseEntry& phrase = phrases[entry];
        index.m_counterpartAt.push_back(static_cast<std::uint32_t>(index.m_counterparts.size()));
        index.m_counterparts += phrase.counterpart;
        if (phrase.phrase.empty()) continue;
        // An empty counterpart could empty a last line that has no terminator, and a run would lose that line.
        if (HoldsLineEnd(phrase.phrase) || HoldsLineEnd(phrase.counterpart) || EndsInLoneLead(phrase.phrase) ||
            phrase.counterpart.empty()) {
            index.m_wholeLines = false;
        }
        const auto begin = static_cast<std::uint32_t>(flat.size());
        AppendCodes(phrase.phrase, flat);
        sequences.push_back(
            Sequence{begin, static_cast<std::uint32_t>(flat.size() - begin), static_cast<std::uint32_t>(entry)});
    }
    index.m_counterpartAt.push_back(static_cast<std::uint32_t>(index.m_counterparts.size()));

    // In code order, each phrase shares with the one before it exactly the nodes of their common prefix, and
    // of equal phrases the first listed comes first.
    std::stable_sort(sequences.begin(), sequences.end(), [&](const Sequence& a, const Sequence& b) {
        return std::lexicographical_compare(flat.begin() + a.begin, flat.begin() + a.begin + a.size,
                                            flat.begin() + b.begin, flat.begin() + b.begin + b.size);
    });
    std::vector<Edge> edges;
    std::vector<CharCode> nodeCode{0};
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
            const auto child = static_cast<std::uint32_t>(index.m_nodeEntry.size());
            const CharCode code = flat[sequence.begin + depth];
            index.m_nodeEntry.push_back(kNoEntry);
            nodeCode.push_back(code);
            edges.push_back(Edge{path.back(), depth, code, child});
            path.push_back(child);
        }
        std::int32_t& entry = index.m_nodeEntry[path.back()];
        if (entry == kNoEntry) entry = static_cast<std::int32_t>(sequence.entry);
        previous = &sequence;
    }

    // Root edges give the first codes; edges from depth 1, and one-code phrases, go to the pair table; deeper
    // edges to the children lists, grouped by parent in the order they were made, which is code order.
    std::size_t pairCount = 0;
    for (const Edge& edge : edges) {
        if (edge.depth == 0) {
            SetBit(index.m_firstBits, edge.code);
            index.m_oneBytePhrases |= edge.code < 0x100;
            if (index.m_nodeEntry[edge.child] != kNoEntry) SetBit(index.m_aloneBits, edge.code), ++pairCount;
        } else if (edge.depth == 1) {
            ++pairCount;
        }
    }
    index.m_pairBits = 4;
    while ((std::size_t{1} << index.m_pairBits) < 2 * pairCount) ++index.m_pairBits;
    index.m_pairs.assign(std::size_t{1} << index.m_pairBits, PairSlot{});
    auto insertPair = [&index](CharCode first, CharCode second, std::uint32_t node) {
        const std::uint32_t key = std::uint32_t{first} << 16 | second;
        std::size_t slot = PairHash(key, index.m_pairBits);
        while (index.m_pairs[slot].node != 0) slot = (slot + 1) & (index.m_pairs.size() - 1);
        index.m_pairs[slot] = PairSlot{key, node};
    };
    const std::size_t nodes = index.m_nodeEntry.size();
    index.m_childBegin.assign(nodes + 1, 0);
    for (const Edge& edge : edges) {
        if (edge.depth == 0 && index.m_nodeEntry[edge.child] != kNoEntry) insertPair(edge.code, kAlone, edge.child);
        if (edge.depth == 1) insertPair(nodeCode[edge.parent], edge.code, edge.child);
        if (edge.depth >= 2) ++index.m_childBegin[edge.parent + 1];
    }
    for (std::size_t node = 0; node < nodes; ++node) index.m_childBegin[node + 1] += index.m_childBegin[node];
    index.m_children.resize(index.m_childBegin[nodes]);
    std::vector<std::uint32_t> filled(index.m_childBegin.begin(), index.m_childBegin.end() - 1);
    for (const Edge& edge : edges) {
        if (edge.depth >= 2) index.m_children[filled[edge.parent]++] = ChildEdge{edge.code, edge.child};
    }

    for (const CandidateEntry& candidate : candidates) {
        const auto* s = reinterpret_cast<const unsigned char*>(candidate.character.data());
        std::size_t width = 0;
        if (candidate.character.empty()) continue;
        const CharCode code = CodeAt(s, candidate.character.size(), 0, width);
        if (width == candidate.character.size()) index.m_forms.emplace(code, candidate.forms);  // first counts
    }
    return index;
}

std::size_t PhraseDirectionIndex::MemoryBytes() const {
    std::size_t forms = 0;
    for (const auto& entry : m_forms) {
        forms += sizeof(entry) + 2 * sizeof(void*) + Bytes(entry.second);
        for (const std::string& form : entry.second) forms += form.capacity() > 15 ? form.capacity() + 1 : 0;
    }
    return Bytes(m_firstBits) + Bytes(m_aloneBits) + Bytes(m_pairs) + Bytes(m_nodeEntry) + Bytes(m_childBegin) +
           Bytes(m_children) + m_counterparts.capacity() + Bytes(m_counterpartAt) + forms +
           m_forms.bucket_count() * sizeof(void*);
}
