// OutputEncoding.cpp: the output's encoding, transcoding line by line, and web pages' declarations.
#include "OutputEncoding.hpp"

#include <algorithm>
#include <cstring>

#include "core/TextStretches.hpp"
#include "core/Utf8.hpp"

namespace {

// Declarations sit at the top of a page: only lines that begin in its first bytes are looked at.
constexpr std::int64_t kDeclarationReach = 4096;

char32_t Lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c; }

bool IsNameCharacter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'-' ||
           c == U'_';
}

// Whether line holds the ASCII word at pos, ignoring case.
bool WordAt(const std::u32string& line, std::size_t pos, const char* word) {
    const std::size_t n = std::strlen(word);
    if (pos + n > line.size()) return false;
    for (std::size_t k = 0; k < n; ++k) {
        if (Lower(line[pos + k]) != static_cast<char32_t>(word[k])) return false;
    }
    return true;
}

bool Names(TextEncoding encoding, const std::u32string& label) {
    std::string lowered;
    for (const char32_t c : label) lowered += static_cast<char>(Lower(c));
    switch (encoding) {
        case TextEncoding::Gbk:
            return lowered == "gbk" || lowered == "gb2312" || lowered == "gb18030" || lowered == "cp936" ||
                   lowered == "x-gbk" || lowered == "windows-936";
        case TextEncoding::Big5:
            return lowered == "big5" || lowered == "big5-hkscs" || lowered == "cp950" ||
                   lowered == "x-x-big5";
        case TextEncoding::Utf8:
            return lowered == "utf-8" || lowered == "utf8";
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            return lowered == "utf-16" || lowered == "utf-16le" || lowered == "utf-16be";
    }
    return false;
}

// The value after `key` at pos: skips spaces, '=', spaces and an opening quote. Returns where the label
// begins and ends, or false.
bool LabelAfter(const std::u32string& line, std::size_t pos, std::size_t& begin, std::size_t& end) {
    while (pos < line.size() && line[pos] == U' ') ++pos;
    if (pos >= line.size() || line[pos] != U'=') return false;
    ++pos;
    while (pos < line.size() && line[pos] == U' ') ++pos;
    if (pos < line.size() && (line[pos] == U'"' || line[pos] == U'\'')) ++pos;
    begin = pos;
    while (pos < line.size() && IsNameCharacter(line[pos])) ++pos;
    end = pos;
    return end > begin;
}

}  // namespace

TextEncoding OutputEncodingOf(TextEncoding input, Direction direction,
                              const std::optional<TextEncoding>& asked) {
    if (asked) return *asked;
    return input == TextEncoding::Big5 && direction == Direction::ToSimplified ? TextEncoding::Gbk : input;
}

std::string UnwritableText(const UnwritablePlace& place, TextEncoding input, TextEncoding output,
                           bool standardForms) {
    static const char kHex[] = "0123456789ABCDEF";
    const text::Unwritable& what = place.what;
    std::string character;
    if (what.character == text::kNotACharacter) {
        character = std::string("the byte 0x") + kHex[what.byte >> 4] + kHex[what.byte & 15] +
                    ", which is no character of " + EncodingName(input) + ",";
    } else {
        utf8::Append(character, what.character);
        std::string code;
        for (char32_t cp = what.character; cp != 0 || code.size() < 4; cp >>= 4)
            code.insert(code.begin(), kHex[cp & 15]);
        character += " (U+" + code + ")";
    }
    std::string text = "line " + std::to_string(place.line) + ", column " + std::to_string(what.column) +
                       ": " + character + " cannot be written in " + EncodingName(output);
    if (output == TextEncoding::Big5 && standardForms && what.character != text::kNotACharacter) {
        text +=
            " (Big5 holds Taiwan's forms: 為, 著, 啟, 眾, not the standard 爲, 着, 啓, 衆 that conversion to "
            "Traditional writes; the Taiwan conversion writes forms Big5 holds)";
    }
    return text;
}

const char* DeclaredName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk:
            return "GBK";
        case TextEncoding::Big5:
            return "Big5";
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            break;
    }
    return "UTF-16";
}

bool ChangeDeclaration(std::u32string& line, TextEncoding from, TextEncoding to) {
    const bool xml = line.find(U"<?xml") != std::u32string::npos;
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        std::size_t keyEnd;
        if (WordAt(line, pos, "charset")) {
            keyEnd = pos + 7;
        } else if (xml && WordAt(line, pos, "encoding")) {
            keyEnd = pos + 8;
        } else {
            continue;
        }
        std::size_t begin;
        std::size_t end;
        if (!LabelAfter(line, keyEnd, begin, end) || !Names(from, line.substr(begin, end - begin))) continue;
        const char* name = DeclaredName(to);
        line.replace(begin, end - begin, std::u32string(name, name + std::strlen(name)));
        return true;
    }
    return false;
}

bool CTranscodingWriter::WriteLine(const char* line, std::size_t size) {
    if (m_unwritable) return false;
    ++m_line;
    const bool nearTop = m_read < kDeclarationReach;
    m_read += static_cast<std::int64_t>(size) + 1;
    // Lines already in the output's encoding, past the declarations: as they are.
    if (m_from == m_to && !nearTop) return m_writer.WriteLine(line, size);
    text::Unwritable what;
    if (nearTop && !m_declarationChanged) {
        std::u32string characters;
        bool whole = true;
        text::ForEachCodePoint(m_from, line, size, [&](std::size_t, std::size_t, char32_t cp) {
            whole = whole && cp != text::kNotACharacter;
            characters += cp;
        });
        if (whole && ChangeDeclaration(characters, m_original, m_to)) {
            m_declarationChanged = true;
            m_out.clear();
            for (const char32_t cp : characters) {
                if (!text::AppendCodePoint(m_out, cp, m_to)) break;  // reported by the plain path below
            }
            std::string plain;
            if (text::TranscodeLine(m_from, line, size, m_to, plain, what, m_original))
                return m_writer.WriteLine(m_out);
        }
    }
    if (!text::TranscodeLine(m_from, line, size, m_to, m_out, what, m_original)) {
        m_unwritable = UnwritablePlace{m_line, what};
        return false;
    }
    return m_writer.WriteLine(m_out);
}

bool CTranscodingWriter::WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes,
                                    bool endsLine) {
    // A line cut in pieces is taken whole: its declaration and the column of what cannot be written are
    // found in it as in any other.
    if (!endsLine || !m_cut.empty()) {
        m_cut.append(run, size);
        if (!endsLine) return true;
        const std::string lines = std::move(m_cut);
        m_cut.clear();
        return WriteLines(lines.data(), lines.size(), lineBytes);
    }
    // Lines already in the output's encoding, past the declarations: the run as it is, its lines counted.
    if (m_from == m_to && m_read >= kDeclarationReach && !m_unwritable && UnitSize(m_from) == 1) {
        const auto lines = static_cast<std::size_t>(std::count(run, run + size, '\n'));
        m_line += lines + (size > 0 && run[size - 1] != '\n' ? 1 : 0);
        m_read += static_cast<std::int64_t>(size);
        return m_writer.WriteLines(run, size, lineBytes);
    }
    return text::ForEachLineOf(m_from, run, size, [&](std::size_t at, std::size_t length) {
        lineBytes += static_cast<std::int64_t>(length);
        return WriteLine(run + at, length);
    });
}

bool CTranscodingWriter::WriteLines(const char16_t* units, std::size_t count, std::int64_t& lineBytes,
                                    bool endsLine) {
    std::string bytes(count * 2, '\0');
    if (count != 0) std::memcpy(&bytes[0], units, count * 2);
    return WriteLines(bytes.data(), bytes.size(), lineBytes, endsLine);
}

bool CTranscodingWriter::Write(const char* data, std::size_t size) {
    // Only the half unit a UTF-16 input ends in comes here: no character, so nothing can carry it over.
    text::Unwritable what;
    what.byte = size > 0 ? static_cast<unsigned char>(data[0]) : 0;
    what.column = 1;
    m_unwritable = UnwritablePlace{m_line + 1, what};
    return false;
}
