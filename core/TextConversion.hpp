// TextConversion.hpp: how text converts (the direction, the table, by words or not), for text in GBK, UTF-8
// or UTF-16: the one value the window, the command line and the review list pass around.
#pragma once

#include <cstddef>
#include <string>

#include "CharTables.hpp"
#include "PhraseTable.hpp"
#include "TextEncoding.hpp"

struct UnicodeLookup;
class CConversionChain;
class CUserPairs;

// GBK text converts with ConvertText. Unicode text follows one rule: every character that GBK can hold
// converts exactly as it would in GBK, each maximal stretch of such characters being one GBK text; every
// other character (emoji, Hangul, rare CJK), and every byte or unit that does not decode, passes unchanged.
// So "头发😀" in UTF-8 gives the UTF-8 of what ConvertText makes of 头发 in GBK, followed by the same 😀. For
// the shipped tables (direct ones) that is one look-up per code point; other tables go through ConvertText
// stretch by stretch. Given phrases, it converts by words (ConvertWords) instead of ConvertText, under the
// same rule: each stretch of characters GBK holds is one text for it. The tables and the phrases must outlive
// the conversion. Later steps (regional dictionaries, a user's own pairs) belong here too, so that callers
// never take more than this one value.
class CTextConversion {
  public:
    // phrases: conversion by words with these phrases; null: by characters.
    CTextConversion(const CharTables& tables, Direction direction, const PhraseTables* phrases = nullptr);
    // A conversion OpenCC knows by name (ConversionChain.hpp), over these tables.
    CTextConversion(const CharTables& tables, const CConversionChain& chain);

    // The user's own pairs, which win over everything shipped: where one of them matches at a position, at
    // the longest, it is written as given, and the text around is converted as it would be without them.
    CTextConversion& Prefer(const CUserPairs* pairs) {
        m_user = pairs;
        return *this;
    }

    Direction GetDirection() const { return m_direction; }
    const CharTables& Tables() const { return m_tables; }
    const PhraseTables* Phrases() const { return m_phrases; }
    const CConversionChain* Chain() const { return m_chain; }
    const CUserPairs* UserPairs() const { return m_user; }
    // By words or by name: phrases decide, and description sequences (⿰氵青) stay whole.
    bool ByWords() const { return m_phrases != nullptr || m_chain != nullptr; }

    void ConvertGbk(std::string& text) const;
    void ConvertUtf8(std::string& text) const;
    // Big5 text by the rule of Unicode text, written back in Big5. A stretch whose result Big5 cannot hold (a
    // Simplified character, or 爲, 着 of the Traditional forms) stays as it was: then false, so that a caller
    // can refuse the text rather than write it half converted.
    bool ConvertBig5(std::string& text) const;
    // UTF-16 code units in the host's byte order, or in the other one when swapped.
    void ConvertUtf16(std::u16string& units, bool swapped) const;

    // Runs of whole lines converted in place, each line exactly as the matching call above converts it alone
    // (a line ends with LF, a CR right before it belonging to its terminator; the last may lack one). False,
    // with nothing changed, when these tables cannot do that in place: the caller goes line by line.
    bool ConvertGbkLines(char* run, std::size_t size) const;
    // By words a line may change its length: a run of whole GBK lines converted into `out`, terminators kept,
    // each line as ConvertGbk converts it alone; false, with out empty, where that cannot be done.
    // The run may be changed in place on the way (every conversion by words first writes CJK compatibility
    // ideographs in their unified forms).
    bool ConvertGbkLinesInto(char* run, std::size_t size, std::string& out) const;
    // knownValid: the run is strict UTF-8 (the detection read all of it), so no sequence needs checking.
    bool ConvertUtf8Lines(char* run, std::size_t size, bool knownValid = false) const;
    bool ConvertUtf16Lines(char16_t* units, std::size_t count, bool swapped) const;
    // By words or by name, runs of whole lines cut at line ends into parts, each a run of whole lines of its
    // own, which threads convert at once while the caller reads and writes (ConvertLines): whether the runs
    // of this encoding (GBK, UTF-8, or UTF-16 in its byte order) convert so, each line as the calls above
    // convert it alone; and one part, into out, in that encoding (changed on the way, as ConvertGbkLinesInto
    // may change a run). ConvertRunPart returns true when the part, in UTF-8, is strict UTF-8 as converting
    // it found (a UTF-8 part is left as it was); false says nothing.
    bool ConvertsRunParts(TextEncoding encoding) const;
    bool ConvertRunPart(TextEncoding encoding, char* part, std::size_t size, std::string& out) const;
    // Where a line too long for one part may be cut as well (text::CLineCuts): the one-byte characters below
    // 0x40 that no phrase, pair or key of a dictionary holds and that no table converts or writes, a bit
    // each. A part may then end after one of them, right after another character below 0x40: no phrase
    // reaches over such a place, and the parts convert as the line would. 0 where the characters do not map
    // one at a time.
    std::uint64_t LineCutBytes() const;
    // A run of whole Big5 lines written in place in GBK, converted, as its lines would be one by one, for
    // conversions a character at a time by a direct table (one look-up a character); false, with the run
    // perhaps changed, where that cannot be done: the caller keeps a copy.
    bool ConvertBig5LinesToGbk(char* run, std::size_t size) const;

  private:
    // The direct Unicode look-up of this direction, or null when the tables have none.
    const UnicodeLookup* Lookup() const;

    const CharTables& m_tables;
    Direction m_direction;
    const PhraseTables* m_phrases;
    const CConversionChain* m_chain = nullptr;
    const CUserPairs* m_user = nullptr;

    void ConvertShipped(std::string& text) const;
    // Whether a GBK text of several lines converts as its lines would one by one, by words, by name or with
    // the user's pairs (ConvertRunPart).
    bool KeepsLinesInGbk() const;
    // The same, and every result decodes.
    bool ConvertsWholeLines() const;
};
