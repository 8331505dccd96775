// ConversionChain.hpp: the conversions OpenCC knows by name (s2t, s2tw, tw2sp, ...), each a chain of the
// phrase file's dictionaries with the character table for the characters, as docs/REGIONAL.md states the
// rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ChainPasses.hpp"
#include "CharTables.hpp"
#include "PhraseTable.hpp"

class PhraseDirectionIndex;

// The fourteen names, for messages: "s2t, t2s, s2tw, ...".
const char* ConversionNames();

// One conversion: the text's CJK compatibility ideographs written in their unified forms, the text cut into
// segments where a dictionary's keys match from the left (for the names that segment), and each segment taken
// through the steps in turn. A step asks its dictionaries in order at each position, the first one that has a
// key there giving its longest, and the characters no dictionary takes either stay or, in the step that turns
// one script into the other, convert by the character table (each stretch of them as ConvertText converts it
// alone). A step never reaches across a segment's end. The phrases and the tables must outlive the chain.
class CConversionChain {
  public:
    // The chain of a name over the phrase file and the table; false, with error set, for a name it does not
    // know or a phrase file without a dictionary the name needs.
    static bool Build(const std::string& name, const PhraseTables& phrases, const CharTables& tables,
                      CConversionChain& chain, std::string& error);

    const std::string& Name() const { return m_name; }
    // The script it writes: Traditional for s2t, t2tw, hk2t, ...; Simplified for t2s, tw2s, ...
    Direction GetDirection() const { return m_direction; }
    // Whether it writes Taiwan's forms of characters (為, 著: s2tw, s2twp, t2tw), which are Big5's.
    bool TaiwanForms() const { return m_taiwanForms; }

    // Converts GBK text in place.
    void Convert(std::string& text) const;
    // Makes now what the first conversion would make (ChainPasses.hpp): a program about to convert a file
    // calls it before the file's parts run.
    void Prepare() const { m_passes.Prepare(); }
    // The same by the rule itself, segment by segment and step by step, never by the faster passes.
    void ConvertByRule(std::string& text) const;
    // Whether Convert runs the faster passes (ChainPasses.hpp) rather than the rule itself.
    bool ConvertsByPasses() const { return m_passes.Built(); }
    // Whether a run of whole lines converts as its lines one by one (ConvertWordsLineRun's condition).
    bool ConvertsWholeLines() const { return m_wholeLines; }
    // The one-byte characters below 0x40 that some key of its dictionaries holds (PhraseDirectionIndex::
    // LowBytes).
    std::uint64_t LowBytes() const { return m_lowBytes; }

  private:
    struct Step {
        std::vector<const PhraseDirectionIndex*> dictionaries;
        bool byTable = false;
    };

    void ConvertNormalized(std::string& text) const;
    void ConvertSegment(const char* data, std::size_t size, std::string& out) const;

    std::string m_name;
    Direction m_direction = Direction::ToTraditional;
    bool m_taiwanForms = false;
    const PhraseTables* m_phrases = nullptr;
    const CharTables* m_tables = nullptr;
    const PhraseDirectionIndex* m_segmentation = nullptr;
    std::vector<Step> m_steps;
    bool m_wholeLines = false;
    std::uint64_t m_lowBytes = 0;
    CChainPasses m_passes;  // the same conversion, faster, where the chain allows it
};
