// ChainPassesFuzz.cpp: every named conversion must give by its passes what its rule gives, on any table,
// dictionaries and text.
//
// Input: two bytes naming the two conversions tried (of fourteen: building every one for each input would
// leave little time for inputs), one byte each for the lengths of `simplified` and `traditional`, those table
// bytes, then one byte for the number of entries; per entry one byte naming its dictionary (of the sixteen a
// chain asks) and one byte of lengths (key: high nibble, value: low nibble), then the bytes. The rest is the
// text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ConversionChain.hpp"

namespace {

const char* const kDictionaries[] = {
    "STPhrases",         "STCharacters",      "TSPhrases",    "TSCharacters",         "TWPhrases",
    "TWVariantsPhrases", "TWVariants",        "TWPhrasesRev", "TWVariantsRevPhrases", "TWVariantsRev",
    "HKPhrases",         "HKVariantsPhrases", "HKVariants",   "HKPhrasesRev",         "HKVariantsRevPhrases",
    "HKVariantsRev"};
const char* const kNames[] = {"s2t",  "t2s",   "s2tw",  "tw2s", "s2twp", "tw2sp", "s2hk",
                              "hk2s", "s2hkp", "hk2sp", "t2tw", "tw2t",  "t2hk",  "hk2t"};

class CInput {
  public:
    CInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::string Bytes(std::size_t count) {
        const std::size_t taken = std::min(count, m_size - m_at);
        std::string bytes(reinterpret_cast<const char*>(m_data + m_at), taken);
        m_at += taken;
        return bytes;
    }
    std::string Rest() { return Bytes(m_size - m_at); }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CInput input(data, size);
    const char* const names[] = {kNames[input.Byte() % 14], kNames[input.Byte() % 14]};
    const std::size_t simplifiedSize = input.Byte() % 16;
    const std::size_t traditionalSize = input.Byte() % 16;
    const std::string simplified = input.Bytes(simplifiedSize);
    const std::string traditional = input.Bytes(traditionalSize);
    std::vector<PhraseDictionary> dictionaries;
    for (const char* name : kDictionaries) dictionaries.push_back({name, {}});
    dictionaries.push_back({"CJK_Compatibility_Ideographs", {}});
    for (std::size_t entries = input.Byte() % 32; entries > 0; --entries) {
        PhraseDictionary& dictionary = dictionaries[input.Byte() % 16];
        const std::uint8_t lengths = input.Byte();
        std::string key = input.Bytes(lengths >> 4);
        dictionary.entries.push_back({std::move(key), input.Bytes(lengths & 15)});
    }
    const std::string text = input.Rest();
    const CharTables tables(simplified, traditional);
    const PhraseTables phrases(std::move(dictionaries));
    for (const char* name : names) {
        CConversionChain chain;
        std::string error;
        if (!CConversionChain::Build(name, phrases, tables, chain, error)) std::abort();
        std::string byPasses = text;
        std::string byRule = text;
        chain.Convert(byPasses);
        chain.ConvertByRule(byRule);
        if (byPasses != byRule) {
            std::fprintf(stderr, "%s: the passes and the rule differ\n", name);
            std::abort();
        }
    }
    return 0;
}
