// DetectionFigures.cpp: how often DetectEncoding names the right encoding, over the corpora that
// make_detection_corpus.py writes. Usage: detection_figures CORPUS_DIR [--show N] [--peer]
//
// One row per set (encoding and language), half (dev, test) and shape (line, short, whole): the files, how
// many were taken for the wrong encoding, and the rate right. The right answer for a set of another code page
// (cp1252, koi8r, euckr, ...) is "not recognised"; taking it for GBK, Big5 or UTF-8 is wrong. Then the
// targets: one-line GBK files, one-line Big5 files with two or more Chinese characters, one-line UTF-8 files
// per language, every file with 10 or more characters outside ASCII, and the other code pages. --show prints
// up to N wrong files of each row, as hex. --peer adds the same counts for uchardet, when built with it (GBK
// and UTF-8 sets only).
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/EncodingDetection.hpp"

#ifdef ZENDRIX_WITH_UCHARDET
#include <uchardet.h>
#endif

namespace {

struct Row {
    std::string enc, lang, half, shape;
    std::size_t files = 0, wrong = 0, long_files = 0, long_wrong = 0, peer_wrong = 0;
    std::size_t two_files = 0, two_wrong = 0;  // files with two or more characters outside ASCII
    std::size_t lines = 0;                     // lines of text in the set's files
    std::size_t as[4] = {};                    // the wrong answers: GBK, Big5, UTF-8, not recognised
    std::vector<std::size_t> settle;           // bytes outside ASCII read before Settled(), whole files
};

// Fed a byte at a time: how many bytes outside ASCII the detector read before it settled, or the text's
// count when it settles only at Finish.
std::size_t HighBytesToSettle(const std::string& text) {
    CEncodingDetector detector;
    std::size_t high = 0;
    for (const char c : text) {
        high += static_cast<unsigned char>(c) >= 0x80;
        detector.Feed(&c, 1);
        if (detector.Settled()) break;
    }
    return high;
}

enum class Expected { Gbk, Big5, Utf8, None };

Expected ExpectedOf(const std::string& enc) {
    if (enc == "gbk") return Expected::Gbk;
    if (enc == "big5") return Expected::Big5;
    if (enc == "utf8") return Expected::Utf8;
    return Expected::None;
}

bool Right(const EncodingGuess& guess, Expected expected) {
    switch (expected) {
        case Expected::Gbk:
            return guess.recognised && guess.encoding == TextEncoding::Gbk;
        case Expected::Big5:
            return guess.recognised && guess.encoding == TextEncoding::Big5;
        case Expected::Utf8:
            return guess.recognised && guess.encoding == TextEncoding::Utf8;
        case Expected::None:
            return !guess.recognised;
    }
    return false;
}

std::vector<std::string> ReadRecords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> records;
    unsigned char size[4];
    while (in.read(reinterpret_cast<char*>(size), 4)) {
        const std::uint32_t n =
            size[0] | size[1] << 8 | size[2] << 16 | static_cast<std::uint32_t>(size[3]) << 24;
        std::string record(n, '\0');
        if (!in.read(&record[0], n)) break;
        records.push_back(std::move(record));
    }
    return records;
}

// Characters outside ASCII, counted in the encoding the record is really in (a double-byte one or UTF-8; the
// other code pages count bytes).
std::size_t NonAsciiChars(const std::string& text, bool doubleByte) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const unsigned char b = static_cast<unsigned char>(text[k]);
        if (b < 0x80) continue;
        if (doubleByte) {
            ++count;
            ++k;
        } else if ((b & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

bool PeerWrong(const std::string& text, bool gbk) {
#ifdef ZENDRIX_WITH_UCHARDET
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, text.data(), text.size());
    uchardet_data_end(detector);
    const std::string name = uchardet_get_charset(detector);
    uchardet_delete(detector);
    // uchardet names pure ASCII "ASCII"; that text reads the same in GBK.
    const bool saidUtf8 = name == "UTF-8";
    return gbk ? saidUtf8 : !saidUtf8;
#else
    (void)text;
    (void)gbk;
    return false;
#endif
}

std::string Hex(const std::string& text) {
    std::string hex = "    ";
    char digits[3];
    for (const unsigned char b : text.substr(0, 120)) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    return hex + "\n";
}

double Rate(std::size_t files, std::size_t wrong) {
    return files == 0 ? 100.0 : 100.0 * static_cast<double>(files - wrong) / static_cast<double>(files);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [--show N] [--peer]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::size_t show = 0;
    bool peer = false;
    for (int k = 2; k < argc; ++k) {
        if (std::strcmp(argv[k], "--show") == 0 && k + 1 < argc) show = std::strtoul(argv[++k], nullptr, 10);
        if (std::strcmp(argv[k], "--peer") == 0) peer = true;
    }
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".rec") == 0) names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        std::fprintf(stderr, "no .rec files in %s (make_detection_corpus.py writes them)\n", dir.c_str());
        return 1;
    }
    std::ifstream setsFile(dir + "/sets.txt");
    std::string unseenLine;
    for (std::string line; std::getline(setsFile, line);) {
        if (line.rfind("unseen ", 0) == 0) unseenLine = " " + line.substr(7) + " ";
    }

    std::vector<Row> rows;
    std::printf("%-22s %-5s %-6s %8s %7s %9s%s\n", "set", "half", "shape", "files", "wrong", "right %",
                peer ? "   uchardet wrong" : "");
    for (const std::string& name : names) {
        // <enc>-<lang>-<half>-<shape>.rec; lang may hold a dash (man-zh_CN).
        Row row;
        const std::string stem = name.substr(0, name.size() - 4);
        const std::size_t a = stem.find('-'), c = stem.rfind('-'), b = stem.rfind('-', c - 1);
        row.enc = stem.substr(0, a);
        row.lang = stem.substr(a + 1, b - a - 1);
        row.half = stem.substr(b + 1, c - b - 1);
        row.shape = stem.substr(c + 1);
        const Expected expected = ExpectedOf(row.enc);
        const bool gbk = expected == Expected::Gbk;
        const bool doubleByte = gbk || expected == Expected::Big5 || row.enc == "eucjp" ||
                                row.enc == "sjis" || row.enc == "euckr";
        std::string shown;
        std::size_t shownCount = 0;
        for (const std::string& text : ReadRecords(dir + "/" + name)) {
            const EncodingGuess guess = DetectEncoding(text.data(), text.size());
            const bool wrong = !Right(guess, expected);
            if (wrong) {
                ++row.as[!guess.recognised                      ? 3
                         : guess.encoding == TextEncoding::Big5 ? 1
                         : guess.encoding == TextEncoding::Gbk  ? 0
                                                                : 2];
            }
            const std::size_t chars = NonAsciiChars(text, doubleByte);
            const bool isLong = chars >= 10;
            ++row.files;
            row.wrong += wrong;
            row.long_files += isLong;
            row.long_wrong += wrong && isLong;
            row.two_files += chars >= 2;
            row.two_wrong += wrong && chars >= 2;
            row.lines += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                         (text.empty() || text.back() != '\n' ? 1 : 0);
            if (peer && (gbk || expected == Expected::Utf8)) row.peer_wrong += PeerWrong(text, gbk);
            if (row.shape == "whole" && expected != Expected::Utf8)
                row.settle.push_back(HighBytesToSettle(text));
            if (wrong && shownCount < show) {
                ++shownCount;
                shown += Hex(text);
            }
        }
        std::printf("%-22s %-5s %-6s %8zu %7zu %9.3f", (row.enc + "-" + row.lang).c_str(), row.half.c_str(),
                    row.shape.c_str(), row.files, row.wrong, Rate(row.files, row.wrong));
        if (peer) std::printf(" %17zu", row.peer_wrong);
        if (row.wrong > 0) {
            std::printf("   taken for: GBK %zu, Big5 %zu, UTF-8 %zu, none %zu", row.as[0], row.as[1],
                        row.as[2], row.as[3]);
            if (row.long_wrong > 0) std::printf(", %zu of them with 10 or more characters", row.long_wrong);
        }
        std::printf("\n%s", shown.c_str());
        rows.push_back(row);
    }

    std::printf(
        "\nBytes outside ASCII read before the answer settled, whole files (median, 90%%, largest; "
        "the bound is %zu):\n",
        CEncodingDetector::kLegacyBytes);
    for (Row& r : rows) {
        if (r.settle.empty()) continue;
        std::sort(r.settle.begin(), r.settle.end());
        std::printf("  %-22s %-5s %6zu %6zu %6zu\n", (r.enc + "-" + r.lang).c_str(), r.half.c_str(),
                    r.settle[r.settle.size() / 2], r.settle[r.settle.size() * 9 / 10], r.settle.back());
    }

    std::printf("\nTargets (dev half / test half):\n");
    for (const char* half : {"dev", "test"}) {
        std::size_t files = 0, wrong = 0;
        for (const Row& r : rows) {
            if (r.enc == "gbk" && r.shape == "line" && r.half == half) files += r.files, wrong += r.wrong;
        }
        std::printf("  one-line GBK files, %-4s: %zu of %zu wrong, %.3f%% right (target 99.9)\n", half, wrong,
                    files, Rate(files, wrong));
    }
    for (const char* half : {"dev", "test"}) {
        std::size_t files = 0, wrong = 0;
        for (const Row& r : rows) {
            if (r.enc == "big5" && r.shape == "line" && r.half == half)
                files += r.two_files, wrong += r.two_wrong;
        }
        std::printf(
            "  one-line Big5 files with 2 or more Chinese characters, %-4s: %zu of %zu wrong, %.3f%% right "
            "(target 99.5)\n",
            half, wrong, files, Rate(files, wrong));
    }
    for (const bool unseen : {false, true}) {
        std::printf("  one-line UTF-8 files per language (%s):\n",
                    unseen ? "languages not designed for" : "languages designed for");
        for (const Row& r : rows) {
            if (r.enc != "utf8" || r.shape != "line") continue;
            if ((unseenLine.find(" " + r.lang + " ") != std::string::npos) != unseen) continue;
            std::printf("    %-12s %-4s %zu of %zu wrong, %.3f%% right%s\n", r.lang.c_str(), r.half.c_str(),
                        r.wrong, r.files, Rate(r.files, r.wrong),
                        Rate(r.files, r.wrong) < 99.9 ? "  BELOW TARGET" : "");
        }
    }
    for (const char* half : {"dev", "test"}) {
        std::size_t files = 0, wrong = 0;
        for (const Row& r : rows) {
            if (r.half == half && ExpectedOf(r.enc) != Expected::None)
                files += r.long_files, wrong += r.long_wrong;
        }
        std::printf(
            "  GBK, Big5 and UTF-8 files with 10 or more characters outside ASCII, %-4s: %zu of %zu wrong "
            "(target 0)\n",
            half, wrong, files);
    }
    for (const char* half : {"dev", "test"}) {
        std::size_t files = 0, wrong = 0;
        for (const Row& r : rows) {
            if (ExpectedOf(r.enc) == Expected::None && r.shape == "block" && r.half == half) {
                files += r.files, wrong += r.wrong;
            }
        }
        std::printf(
            "  other code pages, files of 1,000 lines, %-4s: %zu of %zu taken for GBK, Big5 or UTF-8 (target "
            "0)\n",
            half, wrong, files);
    }
    std::printf("  other code pages, taken for GBK, Big5 or UTF-8, per set and shape:\n");
    for (const Row& r : rows) {
        if (ExpectedOf(r.enc) != Expected::None) continue;
        std::printf("    %-14s %-4s %-6s %zu of %zu files wrong (%zu lines in all)\n",
                    (r.enc + "-" + r.lang).c_str(), r.half.c_str(), r.shape.c_str(), r.wrong, r.files,
                    r.lines);
    }
    return 0;
}
