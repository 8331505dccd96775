// ConversionChain.cpp: the fourteen named conversions and their chains.
#include "ConversionChain.hpp"

#include <algorithm>
#include <sstream>

#include "ConversionIndex.hpp"
#include "ConvertText.hpp"
#include "Parallel.hpp"
#include "PhraseIndex.hpp"

namespace {

// A name, the script it writes, the dictionary that cuts the text into segments ("" for none), and its steps:
// each the names of its dictionaries in the order they are asked, "*" standing for the character table.
struct ChainRecipe {
    const char* name;
    Direction direction;
    const char* segmentation;
    std::vector<const char*> steps;
};

const std::vector<ChainRecipe>& Recipes() {
    constexpr Direction kT = Direction::ToTraditional;
    constexpr Direction kS = Direction::ToSimplified;
    static const std::vector<ChainRecipe> recipes = {
        {"s2t", kT, "", {"STPhrases STCharacters *"}},
        {"t2s", kS, "", {"TSPhrases TSCharacters *"}},
        {"s2tw", kT, "STPhrases", {"STPhrases STCharacters *", "TWVariantsPhrases TWVariants"}},
        {"tw2s", kS, "TSPhrases", {"TWVariantsRevPhrases TWVariantsRev", "TSPhrases TSCharacters *"}},
        {"s2twp", kT, "STPhrases", {"STPhrases STCharacters *", "TWPhrases TWVariantsPhrases TWVariants"}},
        {"tw2sp",
         kS,
         "TSPhrases",
         {"TWPhrasesRev TWVariantsRevPhrases TWVariantsRev", "TSPhrases TSCharacters *"}},
        {"s2hk", kT, "STPhrases", {"STPhrases STCharacters *", "HKVariantsPhrases HKVariants"}},
        {"hk2s", kS, "TSPhrases", {"HKVariantsRevPhrases HKVariantsRev", "TSPhrases TSCharacters *"}},
        {"s2hkp", kT, "STPhrases", {"STPhrases STCharacters *", "HKPhrases HKVariantsPhrases HKVariants"}},
        {"hk2sp",
         kS,
         "TSPhrases",
         {"HKPhrasesRev HKVariantsRevPhrases HKVariantsRev", "TSPhrases TSCharacters *"}},
        {"t2tw", kT, "", {"TWVariantsPhrases TWVariants"}},
        {"tw2t", kT, "", {"TWVariantsRevPhrases TWVariantsRev"}},
        {"t2hk", kT, "", {"HKVariantsPhrases HKVariants"}},
        {"hk2t", kT, "", {"HKVariantsRevPhrases HKVariantsRev"}},
    };
    return recipes;
}

}  // namespace

const char* ConversionNames() {
    return "s2t, t2s, s2tw, tw2s, s2twp, tw2sp, s2hk, hk2s, s2hkp, hk2sp, t2tw, tw2t, t2hk, hk2t";
}

bool CConversionChain::Build(const std::string& name, const PhraseTables& phrases, const CharTables& tables,
                             CConversionChain& chain, std::string& error) {
    const ChainRecipe* recipe = nullptr;
    for (const ChainRecipe& s : Recipes()) {
        if (name == s.name) recipe = &s;
    }
    if (recipe == nullptr) {
        error = "unknown conversion '" + name + "'; the names are " + ConversionNames();
        return false;
    }
    CConversionChain built;
    built.m_name = name;
    built.m_direction = recipe->direction;
    built.m_phrases = &phrases;
    built.m_tables = &tables;
    bool wholeLines = true;
    const auto find = [&](const std::string& dictionary) -> const PhraseDirectionIndex* {
        const PhraseDirectionIndex* index = phrases.Dictionary(dictionary);
        if (index == nullptr) {
            error = "the phrase file has no dictionary " + dictionary + ", which " + name + " needs";
        } else {
            wholeLines = wholeLines && index->WholeLines();
            built.m_lowBytes |= index->LowBytes();
        }
        return index;
    };
    // The dictionaries' indexes are made on first use: all of them at once, on several threads.
    std::vector<std::string> names;
    for (const char* stepNames : recipe->steps) {
        std::istringstream words(stepNames);
        for (std::string word; words >> word;) {
            if (word != "*" && std::find(names.begin(), names.end(), word) == names.end())
                names.push_back(word);
        }
    }
    parallel::ForEachPart(names.size(), [&](std::size_t k) { phrases.Dictionary(names[k]); });
    if (*recipe->segmentation != '\0' && (built.m_segmentation = find(recipe->segmentation)) == nullptr)
        return false;
    for (const char* stepNames : recipe->steps) {
        Step step;
        std::istringstream words(stepNames);
        for (std::string word; words >> word;) {
            if (word == "*") {
                step.byTable = true;
                wholeLines = wholeLines && tables.Index(recipe->direction).wholeLines;
            } else if (const PhraseDirectionIndex* index = find(word)) {
                step.dictionaries.push_back(index);
                built.m_taiwanForms = built.m_taiwanForms || word == "TWVariants";
            } else {
                return false;
            }
        }
        built.m_steps.push_back(std::move(step));
    }
    built.m_wholeLines = wholeLines;
    std::vector<CChainPasses::Step> passes;
    for (const Step& step : built.m_steps) {
        passes.push_back({step.dictionaries, step.byTable ? &tables.Index(recipe->direction) : nullptr});
    }
    built.m_passes.Build(built.m_segmentation, passes);
    chain = std::move(built);
    return true;
}

void CConversionChain::ConvertSegment(const char* data, std::size_t size, std::string& out) const {
    std::string input(data, size);
    std::string output;
    std::string stretch;
    for (const Step& step : m_steps) {
        output.clear();
        const auto* s = reinterpret_cast<const unsigned char*>(input.data());
        const std::size_t n = input.size();
        std::size_t uncovered = 0;  // where the characters that no dictionary took began
        const auto flush = [&](std::size_t end) {
            if (end == uncovered) return;
            if (!step.byTable) {
                output.append(input, uncovered, end - uncovered);
                return;
            }
            stretch.assign(input, uncovered, end - uncovered);
            ConvertText(stretch, m_direction, *m_tables);
            output += stretch;
        };
        std::size_t width;
        for (std::size_t p = 0; p < n;) {
            PhraseMatch match;
            const PhraseDirectionIndex* by = nullptr;
            const CharCode code = PhraseDirectionIndex::CodeAt(s, n, p, width);
            for (const PhraseDirectionIndex* dictionary : step.dictionaries) {
                if (!dictionary->MayStart(code)) continue;
                match = dictionary->Longest(s, n, p);
                if (match.length != 0) {
                    by = dictionary;
                    break;
                }
            }
            if (by == nullptr) {
                p += width;
                continue;
            }
            flush(p);
            output.append(by->Counterpart(match.entry), by->CounterpartSize(match.entry));
            p += match.length;
            uncovered = p;
        }
        flush(n);
        input.swap(output);
    }
    out += input;
}

void CConversionChain::Convert(std::string& text) const {
    if (text.empty()) return;
    m_phrases->Normalize(&text[0], text.size());
    if (m_passes.Built() && m_passes.Convert(text)) return;
    ConvertNormalized(text);
}

void CConversionChain::ConvertByRule(std::string& text) const {
    if (text.empty()) return;
    m_phrases->Normalize(&text[0], text.size());
    ConvertNormalized(text);
}

void CConversionChain::ConvertNormalized(std::string& text) const {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    if (m_segmentation == nullptr) {
        ConvertSegment(text.data(), text.size(), out);
        text.swap(out);
        return;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t run = 0;  // where the text that no key matched began
    std::size_t width;
    for (std::size_t p = 0; p < n;) {
        const CharCode code = PhraseDirectionIndex::CodeAt(s, n, p, width);
        const PhraseMatch match =
            m_segmentation->MayStart(code) ? m_segmentation->Longest(s, n, p) : PhraseMatch{};
        if (match.length == 0) {
            p += width;
            continue;
        }
        if (run < p) ConvertSegment(text.data() + run, p - run, out);
        ConvertSegment(text.data() + p, match.length, out);
        p += match.length;
        run = p;
    }
    if (run < n) ConvertSegment(text.data() + run, n - run, out);
    text.swap(out);
}
