// HanCosts.cpp: the look-up in the generated table of character costs.
#include "HanCosts.hpp"

namespace detection {

int HanCostBits(char32_t cp) {
    for (const HanCostBlock& block : kHanCostBlocks) {
        if (cp < block.first) break;
        if (cp <= block.last) {
            const std::uint32_t k = block.offset + (cp - block.first);
            const int level = (kHanCostLevels[k / 2] >> (k % 2 * 4)) & 0xF;
            return kHanFirstLevelBits + level;
        }
    }
    return cp >= 0xE000 && cp <= 0xF8FF ? kHanLastLevelBits + 1 : kHanLastLevelBits;
}

bool HanPairKnown(char32_t a, char32_t b) {
    const std::uint32_t x = (a - 0x4E00) * 20992u + (b - 0x4E00);
    const std::uint32_t h1 = (x * 2654435761u) >> (32 - kHanPairFilterBits);
    const std::uint32_t h2 = ((x ^ 0x5BD1E995u) * 2246822519u) >> (32 - kHanPairFilterBits);
    return (kHanPairBits[h1 >> 3] >> (h1 & 7) & 1) != 0 && (kHanPairBits[h2 >> 3] >> (h2 & 7) & 1) != 0;
}

}  // namespace detection
