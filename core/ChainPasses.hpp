// ChainPasses.hpp: a named conversion run as a few passes over the whole text, for the chains whose
// characters convert one at a time; byte for byte what the chain's rule gives (ConversionChain.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ConversionIndex.hpp"
#include "Once.hpp"
#include "PhraseIndex.hpp"
#include "PhraseStarts.hpp"

// The chain's rule converts each segment through every step, asking the dictionaries at each position. Where
// the table is direct and the dictionaries at the end of each step hold single characters only, a step is the
// same as: every character mapped by one look-up (those dictionaries and the table made into one index), and
// the phrases that the step's other dictionaries find from the left, each within its segment, written over
// the result. The segments are found once, and followed from step to step as the text changes length.
class CChainPasses {
  public:
    // A step as the chain has it: its dictionaries in the order they are asked; the table for the characters
    // that none of them takes, or null.
    struct Step {
        std::vector<const PhraseDirectionIndex*> dictionaries;
        const DirectionIndex* table = nullptr;
    };

    // False when some step does not fit the passes (the chain then runs by its rule).
    bool Build(const PhraseDirectionIndex* segmentation, const std::vector<Step>& steps);
    bool Built() const { return !m_passes.empty(); }

    // Makes now, on the helper threads too, what the first conversion would make alone; not from a part that
    // runs beside others.
    void Prepare() const;

    // Converts GBK text whose compatibility ideographs are unified already. False, with the text unchanged,
    // for a text that ends in a lone lead byte: the chain's rule decides that one.
    bool Convert(std::string& text) const;

  private:
    struct Pass {
        std::vector<const PhraseDirectionIndex*> phrases;  // asked in order where a phrase may begin
        CPhraseStarts starts;                              // where one of them may
        DirectionIndex characters;                         // direct: the rest, a character at a time
        bool mapsAny = false;
    };

    // A chain of two steps whose first is the segmentation's phrases and characters alone (s2tw, s2twp,
    // s2hk, s2hkp) goes in one scan and one map: each phrase of the segmentation is written as the second
    // step leaves its counterpart, and the second step's phrases between them are found in the text as it
    // reads before the first step, in every form that the first step's characters turn into them.
    struct OneScan {
        // Each phrase of the segmentation as the second step leaves its counterpart, one after the other
        // (entry e at finals[finalAt[e], finalAt[e + 1])): a look-up where the scan takes a phrase.
        std::vector<std::uint32_t> finalAt;
        std::string finals;
        // The second step's first dictionary of phrases, in those forms, in one index with the
        // segmentation's phrases (its entries from `split`): one walk where either may begin; the step's
        // other dictionaries of phrases apart.
        PhraseDirectionIndex both;
        std::uint32_t split = 0;
        std::vector<PhraseDirectionIndex> secondRest;
        CPhraseStarts starts;       // where any of them may begin
        DirectionIndex characters;  // both steps' characters, one after the other
        bool mapsAny = false;
    };

    bool BuildOneScan(OneScan& one, bool inParts) const;
    static void FinalsOf(const PhraseDirectionIndex& segmentation, const Pass& second,
                         std::vector<std::uint32_t>& finalAt, std::string& finals);
    bool ConvertInOneScan(const OneScan& one, std::string& text) const;
    // The one scan, made by the first conversion that asks for it (shared by copies).
    struct Lazy {
        COnce made;
        OneScan scan;
        bool taken = false;  // the chain goes in one scan
    };
    // Makes the one scan whole or not at all: one cut short (no memory) leaves nothing the next attempt would
    // build on.
    void MakeOneScan(Lazy& lazy, bool inParts) const;

    const PhraseDirectionIndex* m_segmentation = nullptr;
    std::vector<Pass> m_passes;
    std::shared_ptr<Lazy> m_oneScan = std::make_shared<Lazy>();
};
