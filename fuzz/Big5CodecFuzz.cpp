// Big5CodecFuzz.cpp: any bytes read as Big5, a character or a stray byte at a time, and read as Chinese text
// in Big5 and GBK: every character decoded encodes to a code that decodes to it again, every code point
// either has no code or round-trips, and the readings take any bytes without harm and price them.
//
// Input: bytes, read as Big5 text; the same bytes taken two at a time as code points to encode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Big5Codec.hpp"
#include "core/TextReadings.hpp"

namespace {

void Fail(const char* what, unsigned value) {
    std::fprintf(stderr, "%s: %04X\n", what, value);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const big5::CCodec& codec = big5::Codec();
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = data[i];
        const bool pair = big5::IsLeadByte(lead) && i + 1 < size && big5::IsTrailByte(data[i + 1]);
        const auto code = static_cast<std::uint16_t>(pair ? lead << 8 | data[i + 1] : lead);
        i += pair ? 2 : 1;
        const char32_t cp = codec.Decode(code);
        if (cp == big5::kNoCharacter) continue;
        const std::uint16_t back = codec.Encode(cp);
        if (back == big5::kNoCode || codec.Decode(back) != cp)
            Fail("decoded character does not encode back", code);
    }
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char32_t cp = static_cast<char32_t>(data[i] << 8 | data[i + 1]);
        const std::uint16_t code = codec.Encode(cp);
        if (code != big5::kNoCode && codec.Decode(code) != cp)
            Fail("encoded character decodes otherwise", cp);
    }
    detection::CChineseReading big5Text(detection::CChineseReading::kBig5);
    detection::CChineseReading gbkText(detection::CChineseReading::kGbk);
    std::size_t high = 0;
    for (std::size_t i = 0; i < size; ++i) {
        big5Text.AddByte(data[i]);
        gbkText.AddByte(data[i]);
        high += data[i] >= 0x80;
    }
    big5Text.Finish();
    gbkText.Finish();
    for (const auto* reading : {&big5Text, &gbkText}) {
        if (reading->Total() < 0) Fail("negative cost", 0);
        if (2 * reading->Pairs() + reading->Strays() < high) Fail("a byte outside ASCII read as nothing", 0);
    }
    return 0;
}
