// ConversionIndex.cpp: building the per-direction lookup from the two parallel tables.
#include "ConversionIndex.hpp"

#include <cstring>

#include "Big5Codec.hpp"
#include "Gbk.hpp"
#include "GbkCodec.hpp"

namespace {

constexpr std::size_t kBlock = 256;

std::uint16_t HostKey(unsigned char first, unsigned char second) {
    const unsigned char bytes[2] = {first, second};
    std::uint16_t key;
    std::memcpy(&key, bytes, 2);
    return key;
}

Counterpart Classify(const std::string& character, bool loneLead, const std::string& counterpart) {
    if (counterpart == character) return Counterpart::Unchanged;
    if (loneLead || counterpart.size() != character.size()) return Counterpart::Reshape;
    // The counterpart must begin a character exactly as the original does, or the layout after it shifts.
    const bool lead = gbk::IsLeadByte(static_cast<unsigned char>(counterpart[0]));
    return lead == (character.size() == 2) ? Counterpart::Swap : Counterpart::Reshape;
}

CounterpartEntry& EntryToFill(DirectionIndex& index, CharCode code) {
    std::uint32_t& block = index.entryBlock[code >> 8];
    if (block == 0) {
        block = static_cast<std::uint32_t>(index.entries.size());
        index.entries.resize(index.entries.size() + kBlock);
    }
    return index.entries[block + (code & 0xFF)];
}

bool IsLoneLeadCode(CharCode code) {
    return code < 0x100 && gbk::IsLeadByte(static_cast<unsigned char>(code));
}

void BuildDirectLookup(DirectionIndex& index, const std::vector<CharCode>& listed) {
    index.pairDelta.assign(std::size_t{1} << 16, 0);
    for (std::size_t byte = 0; byte < kBlock; ++byte) index.singles[byte] = static_cast<unsigned char>(byte);
    for (const CharCode code : listed) {
        const CounterpartEntry& entry = index.Entry(code);
        if (entry.kind != Counterpart::Swap) continue;
        if (code < 0x100) {
            index.singles[code] = entry.bytes[0];
            index.singlesChange = true;
            continue;
        }
        const auto lead = static_cast<unsigned char>(code >> 8);
        const auto trail = static_cast<unsigned char>(code);
        index.pairDelta[HostKey(lead, trail)] =
            HostKey(lead, trail) ^ HostKey(entry.bytes[0], entry.bytes[1]);
    }
}

bool IsLineEndByte(unsigned char byte) { return byte == '\r' || byte == '\n'; }

// Whether no conversion reaches a line end: none of a lone lead byte (converted alone, but joined to the CR
// or LF after it in a run of lines), and no CR or LF in a character that changes or in what it becomes.
bool KeepsLineEnds(const DirectionIndex& index, const std::vector<CharCode>& listed) {
    for (const CharCode code : listed) {
        const CounterpartEntry& entry = index.Entry(code);
        if (entry.kind == Counterpart::Unchanged) continue;
        if (IsLoneLeadCode(code) || IsLineEndByte(static_cast<unsigned char>(code))) return false;
        for (std::size_t k = 0; k < entry.size; ++k) {
            if (IsLineEndByte(entry.bytes[k])) return false;
        }
    }
    return true;
}

std::size_t Utf8Length(char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3; }

}  // namespace

DirectionIndex BuildDirectionIndex(const std::string& search, const std::string& result) {
    DirectionIndex index;
    index.entries.resize(kBlock);  // the shared block of defaults
    std::vector<CharCode> listed;

    // The same walk as a literal search of the table: character boundaries only, the first occurrence wins.
    std::string character;
    for (std::size_t k = 0; k < search.size(); k += gbk::CharWidth(search, k)) {
        const std::size_t width = gbk::CharWidth(search, k);
        const bool loneLead = width == 2 && k + 1 == search.size();
        const auto lead = static_cast<unsigned char>(search[k]);
        const CharCode code = width == 2 && !loneLead
                                  ? CharCode(lead << 8 | static_cast<unsigned char>(search[k + 1]))
                                  : CharCode(lead);
        CounterpartEntry& entry = EntryToFill(index, code);
        if (entry.listed) continue;
        listed.push_back(code);

        character.assign(search, k, loneLead ? 1 : width);
        // A lone lead byte is a character of width 2, so its counterpart is two bytes long where it can be.
        const std::string counterpart = result.substr(k < result.size() ? k : result.size(), width);
        entry.kind = Classify(character, loneLead, counterpart);
        entry.listed = true;
        entry.size = static_cast<std::uint8_t>(counterpart.size());
        std::memcpy(entry.bytes, counterpart.data(), counterpart.size());
    }

    index.direct = true;
    for (const CharCode code : listed) {
        const CounterpartEntry& entry = index.Entry(code);
        // A lone lead byte is only ever the last character converted, so it cannot start a chain.
        if (IsLoneLeadCode(code) || entry.kind == Counterpart::Unchanged) continue;
        if (entry.kind == Counterpart::Reshape || index.Entry(entry.Code()).kind != Counterpart::Unchanged) {
            index.direct = false;
        }
    }
    if (index.direct) {
        BuildDirectLookup(index, listed);
        index.wholeLines = KeepsLineEnds(index, listed);
    }
    index.listed = std::move(listed);
    return index;
}

UnicodeLookup BuildUnicodeLookup(const DirectionIndex& index) {
    UnicodeLookup lookup;
    if (!index.direct) return lookup;
    const gbk::CCodec& codec = gbk::Codec();
    lookup.delta.assign(std::size_t{1} << 16, 0);
    lookup.keepsUtf8Length = lookup.threeByteOnly = lookup.wholeLines = true;
    for (const CharCode code : index.listed) {
        const CounterpartEntry& entry = index.Entry(code);
        if (entry.kind != Counterpart::Swap) continue;
        const char32_t from = codec.Decode(code);
        const char32_t to = codec.Decode(entry.Code());
        if (from == gbk::kNoCharacter || to == gbk::kNoCharacter) return UnicodeLookup();
        lookup.delta[from] = static_cast<std::uint16_t>(from ^ to);
        lookup.keepsUtf8Length = lookup.keepsUtf8Length && Utf8Length(from) == Utf8Length(to);
        lookup.changesAscii = lookup.changesAscii || from < 0x80;
        lookup.threeByteOnly = lookup.threeByteOnly && Utf8Length(from) == 3;
        lookup.wholeLines = lookup.wholeLines && from != '\r' && from != '\n' && to != '\r' && to != '\n';
    }
    if (lookup.threeByteOnly && lookup.keepsUtf8Length) {
        lookup.utf8Change.assign(lookup.delta.size(), 0);
        for (std::size_t cp = 0x800; cp < lookup.delta.size(); ++cp) {
            const unsigned d = lookup.delta[cp];
            const unsigned char change[4] = {static_cast<unsigned char>(d >> 12),
                                             static_cast<unsigned char>(d >> 6 & 0x3F),
                                             static_cast<unsigned char>(d & 0x3F), 0};
            std::memcpy(&lookup.utf8Change[cp], change, 4);
        }
    }
    lookup.direct = true;
    return lookup;
}

const DirectionIndex& ConversionIndex::Of(Direction direction) const {
    return ::Of(direction, toTraditional, toSimplified);
}

const std::vector<std::uint16_t>& ConversionIndex::Big5ToConvertedGbk(Direction direction) const {
    const int k = direction == Direction::ToTraditional ? 1 : 0;
    m_big5Once[k].Run([&] {
        const DirectionIndex& index = Of(direction);
        if (!index.direct) return;
        std::vector<std::uint16_t>& table = m_big5[k];
        table.assign(0x10000, 0);
        const big5::CCodec& big5Codec = big5::Codec();
        const gbk::CCodec& gbkCodec = gbk::Codec();
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
                const char32_t cp = big5Codec.Decode(code);
                if (cp == big5::kNoCharacter || cp >= 0x10000) continue;
                const std::uint16_t gbkCode = gbkCodec.Encode(cp);
                if (gbkCode == gbk::kNoCode || gbkCode < 0x100) continue;  // two bytes to two bytes only
                const CounterpartEntry& entry = index.Entry(gbkCode);
                table[code] = entry.kind == Counterpart::Unchanged ? gbkCode : entry.Code();
            }
        }
    });
    return m_big5[k];
}

const UnicodeLookup& ConversionIndex::Unicode(Direction direction) const {
    const int k = direction == Direction::ToTraditional ? 1 : 0;
    m_unicodeOnce[k].Run([&] { m_unicode[k] = BuildUnicodeLookup(Of(direction)); });
    return m_unicode[k];
}
