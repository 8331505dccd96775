// TableLoadFuzz.cpp: LoadTables on any file must give what a plain reading of the text-mode rules gives, and
// the tables it loads must convert as the literal routine does.
//
// Input: one control byte, then the file's bytes. With the control byte's top bit set, a filler of nearly the
// reader's buffer size is put in front of the bytes, so that line ends, CRs and 0x1A meet the buffer's edge.
// Line 4, which LoadTables discards, serves as a text to convert.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/CharTables.hpp"
#include "core/ConvertText.hpp"
#include "fuzz/FuzzFile.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

constexpr std::size_t kReaderBuffer = 256 * 1024;

// The lines as the classic text mode yields them: input ends at 0x1A, a line at LF, a CR right before the LF
// is dropped, and a last line without LF counts when it holds anything.
std::vector<std::string> TextModeLines(const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
        std::string line = text.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

void Fail(const char* what) {
    std::fprintf(stderr, "LoadTables: %s\n", what);
    std::abort();
}

const std::string& FilePath() {
    static const std::string path = fuzzsupport::FuzzFilePath("table", ".dll");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 0x80) bytes.insert(0, kReaderBuffer - (data[0] & 0x7f), 'f');

    if (!fuzzsupport::WriteFuzzFile(FilePath(), bytes)) Fail("cannot write the temporary file");

    CharTables tables{"", "stale"};
    const LoadResult result = LoadTables(tables, FilePath());
    ::unlink(FilePath().c_str());

    const std::vector<std::string> lines = TextModeLines(bytes);
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    const LoadResult expected = line(1) == kTableBanner ? LoadResult::Loaded : LoadResult::BannerMismatch;
    if (result != expected) Fail("wrong outcome");
    if (result != LoadResult::Loaded) {
        if (tables.Traditional() != "stale") Fail("a refused file changed the tables");
        return 0;
    }
    if (tables.Simplified() != line(0)) Fail("line 1 differs");
    if (tables.Traditional() != line(2)) Fail("line 3 differs");

    // The literal routine searches the table once per character: keep it to tables of fuzzer size.
    if (tables.Simplified().size() + tables.Traditional().size() > 4096) return 0;
    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        std::string fast = line(3);
        std::string literal = line(3);
        ConvertText(fast, direction, tables);
        ConvertTextLiteral(literal, direction, tables);
        if (fast != literal) Fail("loaded tables convert unlike the literal routine");
    }
    return 0;
}
