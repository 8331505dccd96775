// TextConversionFuzz.cpp: UTF-8 and UTF-16 text of any bytes, through tables of any bytes, converts exactly
// as each stretch of characters GBK holds would convert in GBK by the literal routine, everything else
// unchanged; and a run of lines as its lines one by one.
//
// Input: two bytes a and b, then a bytes of line 1 of the table, b bytes of line 3, and the text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ConvertText.hpp"
#include "core/Gbk.hpp"
#include "core/GbkCodec.hpp"
#include "core/TextConversion.hpp"
#include "core/Utf8.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "CTextConversion: %s\n", what);
    std::abort();
}

// The rule read plainly, on UTF-8: characters GBK holds gather into a stretch, which goes through the literal
// GBK conversion and is decoded; a stretch whose result does not decode stays; every other character and
// every byte that does not decode is copied.
std::string Expected(const std::string& text, Direction direction, const CharTables& tables) {
    const gbk::CCodec& codec = gbk::Codec();
    std::string out;
    std::string stretch;  // the original bytes
    std::string gbkStretch;
    auto flush = [&] {
        if (stretch.empty()) return;
        ConvertTextLiteral(gbkStretch, direction, tables);
        std::string decoded;
        bool whole = true;
        for (std::size_t i = 0; i < gbkStretch.size() && whole;) {
            const auto lead = static_cast<unsigned char>(gbkStretch[i]);
            const bool pair = gbk::IsLeadByte(lead) && i + 1 < gbkStretch.size();
            const char32_t cp = codec.Decode(static_cast<std::uint16_t>(
                pair ? lead << 8 | static_cast<unsigned char>(gbkStretch[i + 1]) : lead));
            whole = cp != gbk::kNoCharacter;
            if (whole) utf8::Append(decoded, cp);
            i += pair ? 2 : 1;
        }
        out += whole ? decoded : stretch;
        stretch.clear();
        gbkStretch.clear();
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, text.size() - i, cp);
        const std::size_t width = length > 0 ? static_cast<std::size_t>(length) : 1;
        const std::uint16_t code = length > 0 ? codec.Encode(cp) : gbk::kNoCode;
        if (code != gbk::kNoCode) {
            stretch.append(text, i, width);
            if (code >= 0x100) gbkStretch += static_cast<char>(code >> 8);
            gbkStretch += static_cast<char>(code);
        } else {
            flush();
            out.append(text, i, width);
        }
        i += width;
    }
    flush();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t a = data[0] % 16;
    const std::size_t b = data[1] % 16;
    if (size < 2 + a + b) return 0;
    const char* bytes = reinterpret_cast<const char*>(data) + 2;
    const CharTables tables{std::string(bytes, a), std::string(bytes + a, b)};
    const std::string text(bytes + a + b, size - 2 - a - b);

    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        const CTextConversion conversion(tables, direction);
        std::string converted = text;
        conversion.ConvertUtf8(converted);
        if (converted != Expected(text, direction, tables)) Fail("UTF-8 differs from the rule");

        // A run of lines, when the tables allow one, as each line alone (its CR before LF left out).
        std::string run = text;
        if (conversion.ConvertUtf8Lines(&run[0], run.size())) {
            std::string lines;
            for (std::size_t start = 0; start < text.size();) {
                std::size_t end = text.find('\n', start);
                end = end == std::string::npos ? text.size() : end + 1;
                std::size_t content = end - start;
                if (end <= text.size() && content > 0 && text[end - 1] == '\n') {
                    --content;
                    if (content > 0 && text[start + content - 1] == '\r') --content;
                }
                std::string line = text.substr(start, content);
                conversion.ConvertUtf8(line);
                lines += line + text.substr(start + content, end - start - content);
                start = end;
            }
            if (run != lines) Fail("a run of UTF-8 lines differs from its lines one by one");
        }

        // The same bytes as UTF-16 units: each unit on its own, swapped or not, gives what UTF-8 gives for
        // the characters they make (checked through a transcoding of valid text only).
        std::u16string units(text.size() / 2, u'\0');
        for (std::size_t k = 0; k < units.size(); ++k) {
            units[k] = static_cast<char16_t>(data[2 + a + b + 2 * k] | data[3 + a + b + 2 * k] << 8);
        }
        std::u16string swapped = units;
        for (char16_t& u : swapped) u = static_cast<char16_t>(u >> 8 | u << 8);
        std::u16string plain = units;
        conversion.ConvertUtf16(plain, false);
        conversion.ConvertUtf16(swapped, true);
        for (char16_t& u : swapped) u = static_cast<char16_t>(u >> 8 | u << 8);
        if (plain != swapped) Fail("UTF-16 in the other byte order differs");
    }
    return 0;
}
