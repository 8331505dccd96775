// ConvertText.cpp: the conversion used by the program; equal byte for byte to ConvertTextLiteral.
//
// Why one lookup per character is enough for direct tables (the shipped ones): every listed character maps to
// a whole character of its own width that is itself unlisted or maps to itself. No replacement moves a
// character boundary, so the scan visits exactly the text's characters. Take a character that starts as x.
// Only a replacement of x changes it, into f(x), and nothing changes f(x) again. When the scan reaches it, it
// reads either x, and x is replaced everywhere now, or already f(x). Either way it ends as f(x).
//
// Other tables: while replacements only swap whole characters of the same width, boundaries stay put and the
// text is known from what each original character code reads now. Replacing every v by r merges the codes
// that read v into those that read r: a union-find over codes, each root labelled with its current value,
// gives chains everywhere in the text, before the scan position too. The scan may sit on a trail byte after
// an earlier change of width; it then reads the character formed by that byte and the next. A replacement
// that reshapes the text (another width, a split, a lone lead byte) is done literally on the text written out
// so far; the union-find then starts afresh on the new text.
#include "ConvertText.hpp"

#include <cstdint>
#include <cstring>

#include "CharStarts.hpp"
#include "ConversionIndex.hpp"
#include "Gbk.hpp"

namespace {

using gbk::IsLeadByte;

unsigned char* Bytes(std::string& text) { return reinterpret_cast<unsigned char*>(&text[0]); }

CharCode PairCode(unsigned char lead, unsigned char trail) {
    return static_cast<CharCode>(lead << 8 | trail);
}

// The one step a lone lead byte at the end can take. It matches nothing but a lone lead byte at the end of
// the search table, and it is replaced only if it is a character of the text, not the trail byte of one.
void ConvertLoneLeadByte(std::string& text, const DirectionIndex& index, bool isCharacter) {
    const CounterpartEntry& entry = index.Entry(static_cast<unsigned char>(text.back()));
    if (entry.kind == Counterpart::Unchanged || !isCharacter) return;
    text.pop_back();
    text.append(reinterpret_cast<const char*>(entry.bytes), entry.size);
}

// Converts the two-byte characters beginning at the bits of `starts` and the one-byte ones at `singles`.
void ConvertWindow(unsigned char* p, std::uint64_t starts, std::uint64_t singles,
                   const DirectionIndex& index) {
    const std::uint16_t* delta = index.pairDelta.data();
    for (; starts != 0; starts &= starts - 1) {
        unsigned char* pair = p + __builtin_ctzll(starts);
        std::uint16_t bytes;
        std::memcpy(&bytes, pair, 2);
        bytes ^= delta[bytes];
        std::memcpy(pair, &bytes, 2);
    }
    for (; singles != 0; singles &= singles - 1) {
        unsigned char* single = p + __builtin_ctzll(singles);
        *single = index.singles[*single];
    }
}

// Below this length, most lines of a file, a plain loop over the characters costs less than the padded copy
// and the masks; above it, the branch per character mispredicts often enough to lose (measured on man pages).
constexpr std::size_t kShortText = 32;

// MapShort and MapWindows convert every character of p[0, n) through a direct index and return whether the
// last byte is a lone lead byte, which they leave to the caller.
bool MapShort(unsigned char* p, std::size_t n, const DirectionIndex& index) {
    const std::uint16_t* delta = index.pairDelta.data();
    const bool singlesChange = index.singlesChange;
    std::size_t i = 0;
    while (i + 1 < n) {
        if (IsLeadByte(p[i])) {
            std::uint16_t bytes;
            std::memcpy(&bytes, p + i, 2);
            bytes ^= delta[bytes];
            std::memcpy(p + i, &bytes, 2);
            i += 2;
        } else {
            if (singlesChange) p[i] = index.singles[p[i]];
            ++i;
        }
    }
    if (i + 1 != n) return false;
    if (IsLeadByte(p[i])) return true;
    p[i] = index.singles[p[i]];
    return false;
}

// 64 bytes at a time: finding where characters begin with a few mask operations instead of a branch per
// character keeps the processor from mispredicting at every change between Chinese and ASCII.
bool MapWindows(unsigned char* p, std::size_t n, const DirectionIndex& index) {
    std::size_t i = 0;
    // Each window begins on a character; a pair that begins on its last byte ends in the next one.
    for (; i + 65 <= n;) {
        const std::uint64_t lead = gbk::LeadMask(p + i);
        const std::uint64_t starts = gbk::PairStarts(lead);
        ConvertWindow(p + i, starts, index.singlesChange ? ~lead & ~(starts << 1) : 0, index);
        i += 64 + static_cast<std::size_t>(starts >> 63);
    }
    const std::size_t rest = n - i;
    if (rest == 0) return false;
    unsigned char padded[64] = {};  // zeros are one-byte characters, outside the text
    std::memcpy(padded, p + i, rest);
    const std::uint64_t lead = gbk::LeadMask(padded);
    const std::uint64_t starts = gbk::PairStarts(lead);
    const std::uint64_t inside = rest == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << rest) - 1;
    const std::uint64_t whole = inside >> 1;  // pairs whose trail byte is inside too
    ConvertWindow(p + i, starts & whole, index.singlesChange ? ~lead & ~(starts << 1) & inside : 0, index);
    return (starts & inside & ~whole) != 0;
}

bool MapCharacters(unsigned char* p, std::size_t n, const DirectionIndex& index) {
    return n < kShortText ? MapShort(p, n, index) : MapWindows(p, n, index);
}

// Which value each original character code has become: a union-find over codes whose roots carry the value.
// Allocated once per thread; only the entries a call touched are reset, so short lines stay cheap.
class CodeMerger {
  public:
    static constexpr std::size_t kCodes = 0x10000;

    // Made whole or made again: m_rank is allocated last, and a text cut short (no memory) leaves codes to
    // set back.
    void Prepare() {
        if (!m_touched.empty()) Reset();
        if (m_rank.size() == kCodes) return;
        m_parent.resize(kCodes);
        m_label.resize(kCodes);
        m_owner.resize(kCodes);
        m_rank.assign(kCodes, 0);
        for (std::size_t code = 0; code < kCodes; ++code) {
            m_parent[code] = m_label[code] = static_cast<CharCode>(code);
            m_owner[code] = static_cast<std::int32_t>(code);
        }
    }

    bool Clean() const { return m_touched.empty(); }

    CharCode Current(CharCode code) { return m_label[Root(code)]; }

    // Every code that reads `from` reads `to` from now on.
    void Redirect(CharCode from, CharCode to) {
        const std::int32_t moving = m_owner[from];
        if (moving == kNobody) return;
        // Room for what it touches first, so that no code changes unrecorded.
        if (m_touched.capacity() - m_touched.size() < 4) m_touched.reserve(2 * m_touched.capacity() + 4);
        m_owner[from] = kNobody;
        Touch(from);
        const std::int32_t staying = m_owner[to];
        std::int32_t root = moving;
        if (staying != kNobody) {
            root = m_rank[moving] >= m_rank[staying] ? moving : staying;
            const std::int32_t child = root == moving ? staying : moving;
            m_parent[child] = static_cast<CharCode>(root);
            if (m_rank[moving] == m_rank[staying]) ++m_rank[root];
            Touch(static_cast<CharCode>(child));
        }
        m_label[root] = to;
        m_owner[to] = root;
        Touch(static_cast<CharCode>(root));
        Touch(to);
    }

    void Reset() {
        for (const CharCode code : m_touched) {
            m_parent[code] = m_label[code] = code;
            m_owner[code] = code;
            m_rank[code] = 0;
        }
        m_touched.clear();
    }

  private:
    static constexpr std::int32_t kNobody = -1;

    CharCode Root(CharCode code) {
        while (m_parent[code] != code) {
            m_parent[code] = m_parent[m_parent[code]];  // halving only shortcuts nodes already touched
            code = m_parent[code];
        }
        return code;
    }

    void Touch(CharCode code) { m_touched.push_back(code); }

    std::vector<CharCode> m_parent;
    std::vector<CharCode> m_label;      // the current value, on roots
    std::vector<std::int32_t> m_owner;  // the root whose codes read this value, or kNobody
    std::vector<std::uint8_t> m_rank;
    std::vector<CharCode> m_touched;
};

struct Scratch {
    CodeMerger merger;
    std::string spare;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

// Writes what the merger says into the text itself; the merger starts afresh.
void WriteOut(std::string& text, CodeMerger& merger) {
    if (merger.Clean()) return;
    unsigned char* p = Bytes(text);
    const std::size_t n = text.size();
    for (std::size_t q = 0; q < n;) {
        if (IsLeadByte(p[q]) && q + 1 < n) {
            const CharCode value = merger.Current(PairCode(p[q], p[q + 1]));
            p[q] = static_cast<unsigned char>(value >> 8);
            p[q + 1] = static_cast<unsigned char>(value);
            q += 2;
        } else {
            p[q] = static_cast<unsigned char>(merger.Current(p[q]));
            ++q;
        }
    }
    merger.Reset();
}

// gbk::ReplaceAll for a needle that is one character: every character of the text equal to it is replaced.
void ReplaceCharacter(std::string& text, const unsigned char* needle, std::size_t needleSize,
                      const CounterpartEntry& counterpart, std::string& spare) {
    const unsigned char* p = Bytes(text);
    const std::size_t n = text.size();
    spare.clear();
    std::size_t copied = 0;
    for (std::size_t q = 0; q < n;) {
        const std::size_t width = IsLeadByte(p[q]) && q + 1 < n ? 2 : 1;
        if (width == needleSize && std::memcmp(p + q, needle, width) == 0) {
            spare.append(text, copied, q - copied);
            spare.append(reinterpret_cast<const char*>(counterpart.bytes), counterpart.size);
            copied = q + width;
        }
        q += width;
    }
    if (copied == 0 && spare.empty()) return;
    spare.append(text, copied, std::string::npos);
    text.swap(spare);
}

bool IsBoundary(const std::string& text, std::size_t pos) {
    std::size_t q = 0;
    while (q < pos && q < text.size()) q += gbk::CharWidth(text, q);
    return q == pos;
}

void ConvertGeneral(std::string& text, const DirectionIndex& index, Scratch& scratch) {
    CodeMerger& merger = scratch.merger;
    merger.Prepare();
    const std::size_t length = text.size();  // the scan's end stays where the text ended at the start
    std::size_t pos = 0;
    bool onBoundary = true;  // false: pos is the trail byte of a two-byte character of the text
    // Past the end of a shrunken text every step reads an empty character, which changes nothing.
    while (pos < length && pos < text.size()) {
        const unsigned char* p = Bytes(text);
        const std::size_t n = text.size();
        CharCode code;
        std::size_t width;
        bool nextOnBoundary = true;
        bool loneLead = false;
        if (onBoundary) {
            width = IsLeadByte(p[pos]) ? 2 : 1;
            loneLead = width == 2 && pos + 1 == n;
            code = merger.Current(width == 2 && !loneLead ? PairCode(p[pos], p[pos + 1]) : p[pos]);
        } else {
            const auto byte = static_cast<unsigned char>(merger.Current(PairCode(p[pos - 1], p[pos])));
            width = IsLeadByte(byte) ? 2 : 1;
            loneLead = width == 2 && pos + 1 == n;
            code = byte;
            if (width == 2 && !loneLead) {
                // The scanned pair ends on the first byte of the next character.
                const bool nextIsPair = IsLeadByte(p[pos + 1]) && pos + 2 < n;
                const CharCode next =
                    merger.Current(nextIsPair ? PairCode(p[pos + 1], p[pos + 2]) : p[pos + 1]);
                code = PairCode(byte, static_cast<unsigned char>(nextIsPair ? next >> 8 : next));
                nextOnBoundary = !IsLeadByte(p[pos + 1]);
            }
        }
        if (loneLead) {
            // Always the last step: whatever it does, the next position is at or past the end.
            WriteOut(text, merger);
            ConvertLoneLeadByte(text, index, onBoundary);
            return;
        }

        const CounterpartEntry& entry = index.Entry(code);
        if (entry.kind == Counterpart::Swap) {
            merger.Redirect(code, entry.Code());
        } else if (entry.kind == Counterpart::Reshape) {
            WriteOut(text, merger);
            const unsigned char needle[2] = {static_cast<unsigned char>(width == 2 ? code >> 8 : code),
                                             static_cast<unsigned char>(code)};
            ReplaceCharacter(text, needle, width, entry, scratch.spare);
            pos += width;
            onBoundary = IsBoundary(text, pos);
            continue;
        }
        pos += width;
        onBoundary = nextOnBoundary;
    }
    WriteOut(text, merger);
}

void Convert(std::string& text, const DirectionIndex& direction) {
    if (!direction.direct) return ConvertGeneral(text, direction, ThreadScratch());
    if (MapCharacters(Bytes(text), text.size(), direction)) ConvertLoneLeadByte(text, direction, true);
}

}  // namespace

bool ConvertLineRun(char* run, std::size_t size, Direction direction, const CharTables& tables) {
    const DirectionIndex& index = tables.Index(direction);
    if (!index.wholeLines) return false;
    // A lone lead byte at the end stays as it is: with wholeLines, none is listed.
    MapCharacters(reinterpret_cast<unsigned char*>(run), size, index);
    return true;
}

void ConvertText(std::string& text, Direction direction, const CharTables& tables) {
    if (!text.empty()) Convert(text, tables.Index(direction));
}

bool MapDirect(char* p, std::size_t n, const DirectionIndex& index) {
    return MapCharacters(reinterpret_cast<unsigned char*>(p), n, index);
}
