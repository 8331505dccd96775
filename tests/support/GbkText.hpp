// GbkText.hpp: text in GBK for test files, through the program's own codec (what GBK cannot hold is left
// out).
#pragma once

#include <string>

#include "core/GbkCodec.hpp"

namespace testsupport {

inline std::string GbkOf(const std::wstring& text) {
    std::string gbk;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint16_t code = gbk::Codec().Encode(static_cast<char32_t>(text[i]));
        if (code == gbk::kNoCode) continue;
        if (code >= 0x100) gbk += static_cast<char>(code >> 8);
        gbk += static_cast<char>(code);
    }
    return gbk;
}

}  // namespace testsupport
