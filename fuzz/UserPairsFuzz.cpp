// UserPairsFuzz.cpp: CUserPairs::Load on any file must accept exactly the files a plain reading of the
// form (FROM<TAB>TO lines, '#' comments, blank lines, no FROM with two TOs) accepts, and the pairs it holds
// must convert as the plain rule does: at each place the longest pair that matches whole characters; the
// text between pairs converted by the tables.
//
// Input: the file's bytes, then after the first 0x1A byte (if any) a GBK text to convert.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ConvertText.hpp"
#include "core/Gbk.hpp"
#include "core/TextConversion.hpp"
#include "core/Transcode.hpp"
#include "core/UserPairs.hpp"
#include "fuzz/FuzzFile.hpp"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "CUserPairs: %s\n", what);
    std::abort();
}

const std::string& FilePath() {
    static const std::string path = fuzzsupport::FuzzFilePath("pairs", ".txt");
    return path;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The file read plainly: true with its pairs in GBK, in order, or false.
bool ReadPlainly(const std::string& bytes, Pairs& pairs) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t lf = bytes.find('\n', at);
        if (lf == std::string::npos) {
            lines.push_back(bytes.substr(at));
            break;
        }
        const std::size_t end = lf > at && bytes[lf - 1] == '\r' ? lf - 1 : lf;  // the CR goes with the LF
        lines.push_back(bytes.substr(at, end - at));
        at = lf + 1;
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::string line = lines[k];
        if (k == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
            while (!line.empty() && line.back() == ' ') line.pop_back();
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const std::size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos)
            return false;
        std::string from;
        std::string to;
        text::Unwritable unwritable;
        if (!text::TranscodeLine(TextEncoding::Utf8, line.data(), tab, TextEncoding::Gbk, from, unwritable) ||
            !text::TranscodeLine(TextEncoding::Utf8, line.data() + tab + 1, line.size() - tab - 1,
                                 TextEncoding::Gbk, to, unwritable)) {
            return false;
        }
        for (const auto& pair : pairs) {
            if (pair.first == from && pair.second != to) return false;
        }
        pairs.emplace_back(from, to);
    }
    return true;
}

// Where the characters of s begin, and its end.
std::vector<std::size_t> Boundaries(const std::string& s) {
    std::vector<std::size_t> at;
    std::size_t q = 0;
    for (; q < s.size(); q += gbk::IsLeadByte(static_cast<unsigned char>(s[q])) && q + 1 < s.size() ? 2 : 1)
        at.push_back(q);
    at.push_back(q);
    return at;
}

std::string Plainly(const std::string& text, const Pairs& pairs, const CharTables& tables) {
    const std::vector<std::size_t> bounds = Boundaries(text);
    std::vector<bool> boundary(text.size() + 1);
    for (const std::size_t b : bounds) boundary[b] = true;
    std::string out;
    std::string between;
    std::size_t uncovered = 0;
    for (std::size_t b = 0; b + 1 < bounds.size();) {
        const std::size_t p = bounds[b];
        const std::pair<std::string, std::string>* best = nullptr;
        for (const auto& pair : pairs) {
            const std::size_t end = p + pair.first.size();
            if (pair.first.empty() || end > text.size() || !boundary[end] ||
                text.compare(p, pair.first.size(), pair.first) != 0) {
                continue;
            }
            if (best == nullptr || pair.first.size() > best->first.size()) best = &pair;
        }
        if (best == nullptr) {
            ++b;
            continue;
        }
        between = text.substr(uncovered, p - uncovered);
        ConvertText(between, Direction::ToTraditional, tables);
        out += between + best->second;
        uncovered = p + best->first.size();
        while (bounds[b] < uncovered) ++b;
    }
    between = text.substr(uncovered);
    ConvertText(between, Direction::ToTraditional, tables);
    return out + between;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t mark = input.find('\x1a');
    const std::string bytes = input.substr(0, mark);
    const std::string text = mark == std::string::npos ? std::string() : input.substr(mark + 1);

    if (!fuzzsupport::WriteFuzzFile(FilePath(), bytes)) Fail("cannot write the temporary file");
    CUserPairs loaded;
    std::string error;
    const bool ok = loaded.Load(FilePath(), error);
    ::unlink(FilePath().c_str());

    Pairs pairs;
    const bool wellFormed = ReadPlainly(bytes, pairs);
    if (ok != wellFormed) Fail(wellFormed ? "refused a good file" : "took a bad one");
    if (!ok) {
        if (error.find(FilePath() + ", line ") != 0) Fail("an error that names no line");
        if (!loaded.Empty()) Fail("a bad file left pairs behind");
        return 0;
    }
    const CharTables tables{"\xb0\xa1\xb0\xa2", "\xb0\xa3\xb0\xa4"};
    CTextConversion conversion(tables, Direction::ToTraditional);
    conversion.Prefer(&loaded);
    std::string converted = text;
    conversion.ConvertGbk(converted);
    if (converted != Plainly(text, pairs, tables)) Fail("the pairs convert unlike the plain rule");
    return 0;
}
