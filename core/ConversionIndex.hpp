// ConversionIndex.hpp: what each character converts to, looked up at once instead of searching the tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Direction.hpp"
#include "Once.hpp"

// A character's code: lead byte * 256 + trail byte for a two-byte character, the byte itself for a one-byte
// character. A lone lead byte at the end of a text is coded as its byte: one-byte characters never take those
// values, so it gets a slot of its own.
using CharCode = std::uint16_t;

// What the first occurrence of a character in the search table asks the conversion to do.
enum class Counterpart : std::uint8_t {
    Unchanged,  // not listed, or listed with an identical counterpart: nothing happens
    Swap,       // a different whole character of the same width: where characters begin stays as it was
    Reshape,    // anything else (shorter, longer, split, a lone lead byte): the text's layout changes
};

struct CounterpartEntry {
    Counterpart kind = Counterpart::Unchanged;
    bool listed = false;    // found in the search table, even with an identical counterpart
    std::uint8_t size = 0;  // bytes of the counterpart, 0 to 2
    unsigned char bytes[2] = {0, 0};

    CharCode Code() const { return size == 2 ? CharCode(bytes[0] << 8 | bytes[1]) : bytes[0]; }
};

// One direction: the search table's characters and the result table's counterparts at the same offsets.
// Lookups go through blocks of 256 codes sharing a high byte; blocks with nothing listed share one block of
// defaults, so the index costs memory only for the lead bytes the table uses.
struct DirectionIndex {
    const CounterpartEntry& Entry(CharCode code) const {
        return entries[entryBlock[code >> 8] + (code & 0xFF)];
    }

    std::array<std::uint32_t, 256> entryBlock{};  // offset of each block in `entries`; 0 is the shared block
    std::vector<CounterpartEntry> entries;

    // Every listed character maps to a whole character of its own width that is itself left alone, so
    // converting is one lookup per character (ConvertText.cpp says why). Only then is the rest built:
    bool direct = false;
    // what to XOR into a two-byte character, loaded from memory as 16 bits in host byte order, to get its
    // counterpart, indexed by that same value: one load per character (128 KB, the most used part of it stays
    // in cache);
    std::vector<std::uint16_t> pairDelta;
    // the counterparts of one-byte characters.
    std::array<unsigned char, 256> singles{};
    bool singlesChange = false;  // some one-byte character has a different counterpart
    // Direct, and no conversion reaches a line end: no lone lead byte converts, and no CR or LF byte is part
    // of a character that changes or of what it becomes. A lone lead byte at the end of a line then reads the
    // same as one joined to the line's terminator, and converting moves no line end, so a run of whole lines
    // converts as one text (ConvertLineRun).
    bool wholeLines = false;

    // The characters listed, each at its first occurrence, in the order of the search table.
    std::vector<CharCode> listed;
};

DirectionIndex BuildDirectionIndex(const std::string& search, const std::string& result);

// The same direct conversion on Unicode code points, for a direct direction whose every character that
// converts and every counterpart is a character GBK decodes (core/GbkCodec.hpp); otherwise `direct` stays
// false.
struct UnicodeLookup {
    bool direct = false;
    // What to XOR into a code point below U+10000 (every character GBK holds is one) to get its counterpart;
    // 0 for the rest.
    std::vector<std::uint16_t> delta;
    bool keepsUtf8Length = false;  // every counterpart is as long in UTF-8 as its character
    bool changesAscii = false;     // some character below U+0080 converts
    bool threeByteOnly = false;    // every character that converts is three bytes long in UTF-8
    // For those: what to XOR into a three-byte UTF-8 sequence, loaded from memory as 32 bits in host byte
    // order (the fourth byte untouched), indexed by its code point. One load and one XOR per character.
    std::vector<std::uint32_t> utf8Change;
    bool wholeLines = false;  // neither CR nor LF converts or is a counterpart
};

UnicodeLookup BuildUnicodeLookup(const DirectionIndex& index);

// Both directions, built with the tables (CharTables), which never change afterwards.
struct ConversionIndex {
    DirectionIndex toTraditional;
    DirectionIndex toSimplified;

    const DirectionIndex& Of(Direction direction) const;
    // The Unicode look-up of a direction, made on its first use (half a megabyte that GBK text never needs).
    const UnicodeLookup& Unicode(Direction direction) const;
    // For a direct direction: per Big5 code (lead * 256 + trail), the GBK code of the character's
    // conversion, 0 where GBK holds no such character; empty for a direction that is not direct. Made on
    // first use, for Big5 files converted a character at a time.
    const std::vector<std::uint16_t>& Big5ToConvertedGbk(Direction direction) const;

  private:
    mutable COnce m_unicodeOnce[2];
    mutable UnicodeLookup m_unicode[2];
    mutable COnce m_big5Once[2];
    mutable std::vector<std::uint16_t> m_big5[2];
};
