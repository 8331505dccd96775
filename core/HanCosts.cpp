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

}  // namespace detection
