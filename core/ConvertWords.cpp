// ConvertWords.cpp: conversion by words as the program runs it; equal byte for byte to ConvertWordsLiteral.
//
// Where the character table's direction is direct (ConversionIndex.hpp), ConvertText maps each character on
// its own, whatever surrounds it. So when every phrase keeps its length, the whole text can be mapped first
// and the phrases written over it at their places; otherwise one pass finds the phrases and maps every
// character between them as it goes. Other tables can make a stretch's result depend on the whole stretch
// (chains, changes of width): their stretches are cut out and handed to ConvertText one by one, as the rule
// says.
#include "ConvertWords.hpp"

#include <cstring>

#include "ConversionIndex.hpp"
#include "ConvertText.hpp"
#include "PhraseIndex.hpp"
#include "PhraseScan.hpp"

namespace {

struct Scratch {
    std::string out;
    std::string stretch;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

// Appends the conversion of s[0, n) to out, through a direct character index.
void ConvertDirect(const unsigned char* s, std::size_t n, const DirectionIndex& chars,
                   const PhraseDirectionIndex& words, std::string& out) {
    std::size_t o = out.size();
    // Room for the text's own size: characters keep their width, and a lone lead byte at the end grows by one
    // byte at most. Longer counterparts make room for themselves.
    out.resize(o + n + 1);
    auto* w = reinterpret_cast<unsigned char*>(&out[0]);
    const std::uint16_t* delta = chars.pairDelta.data();
    const bool oneBytePhrases = words.OneBytePhrases();
    std::size_t p = 0;
    while (p < n) {
        const unsigned char b = s[p];
        const bool pair = gbk::IsLeadByte(b) && p + 1 < n;
        if (pair ? words.MayStart(static_cast<CharCode>(b << 8 | s[p + 1]))
                 : oneBytePhrases && words.MayStart(b)) {
            const PhraseMatch match = words.Longest(s, n, p);
            if (match.length != 0) {
                const std::size_t size = words.CounterpartSize(match.entry);
                if (size > match.length) {
                    out.resize(out.size() + size - match.length);
                    w = reinterpret_cast<unsigned char*>(&out[0]);
                }
                std::memcpy(w + o, words.Counterpart(match.entry), size);
                o += size;
                p += match.length;
                continue;
            }
        }
        if (pair) {
            std::uint16_t bytes;
            std::memcpy(&bytes, s + p, 2);
            bytes ^= delta[bytes];
            std::memcpy(w + o, &bytes, 2);
            o += 2;
            p += 2;
        } else if (gbk::IsLeadByte(b)) {  // a lone lead byte at the end, converted as ConvertText does
            const CounterpartEntry& entry = chars.Entry(b);
            if (entry.kind == Counterpart::Unchanged) {
                w[o++] = b;
            } else {
                std::memcpy(w + o, entry.bytes, entry.size);
                o += entry.size;
            }
            ++p;
        } else {
            w[o++] = chars.singles[b];
            ++p;
        }
    }
    out.resize(o);
}

// Calls take(p, match) for every phrase that the scan from the left replaces in s[0, n).
template <class Take>
void ScanPhrases(const unsigned char* s, std::size_t n, const PhraseDirectionIndex& words, Take&& take) {
    phrasescan::ForEachPossibleStart(s, n, words.Starts(), [&](std::size_t p) -> std::size_t {
        const PhraseMatch match = words.Longest(s, n, p);
        if (match.length == 0) return 0;
        take(p, match);
        return p + match.length;
    });
}

// Where characters map one by one and each phrase keeps its length, the text can be converted by the
// character table first and the phrases written over the result: the one-pass loop's work, done by the fast
// mapping of ConvertText and a scan that looks only at the characters where phrases may begin.
bool Overlayable(const DirectionIndex& chars, const PhraseDirectionIndex& words) {
    return chars.direct && words.SameLengths();
}

// A lone lead byte at the end that the table converts may change the text's length.
bool LoneLeadConverts(const std::string& text, const DirectionIndex& chars) {
    const std::size_t n = text.size();
    const auto last = static_cast<unsigned char>(text[n - 1]);
    if (!gbk::IsLeadByte(last) || chars.Entry(last).kind == Counterpart::Unchanged) return false;
    std::size_t q = 0;
    while (q + 1 < n) q += gbk::CharWidth(text, q);
    return q + 1 == n;
}

void OverlayPhrases(const unsigned char* s, std::size_t n, const PhraseDirectionIndex& words,
                    std::string& out) {
    char* o = &out[0];
    ScanPhrases(s, n, words, [&](std::size_t p, const PhraseMatch& match) {
        std::memcpy(o + p, words.Counterpart(match.entry), match.length);
    });
}

void AppendStretch(const unsigned char* s, std::size_t from, std::size_t to, Direction direction,
                   const CharTables& tables, Scratch& scratch) {
    if (from == to) return;
    scratch.stretch.assign(reinterpret_cast<const char*>(s) + from, to - from);
    ConvertText(scratch.stretch, direction, tables);
    scratch.out += scratch.stretch;
}

// Any character table: each uncovered stretch through ConvertText.
void ConvertByStretches(const unsigned char* s, std::size_t n, Direction direction, const CharTables& tables,
                        const PhraseDirectionIndex& words, Scratch& scratch) {
    std::size_t uncovered = 0;
    std::size_t p = 0;
    while (p < n) {
        std::size_t width;
        const CharCode code = PhraseDirectionIndex::CodeAt(s, n, p, width);
        const PhraseMatch match = words.MayStart(code) ? words.Longest(s, n, p) : PhraseMatch{};
        if (match.length == 0) {
            p += width;
            continue;
        }
        AppendStretch(s, uncovered, p, direction, tables, scratch);
        scratch.out.append(words.Counterpart(match.entry), words.CounterpartSize(match.entry));
        p += match.length;
        uncovered = p;
    }
    AppendStretch(s, uncovered, n, direction, tables, scratch);
}

}  // namespace

void ConvertWords(std::string& text, Direction direction, const CharTables& tables,
                  const PhraseTables& phrases) {
    const PhraseDirectionIndex& words = phrases.Index(direction);
    if (text.empty()) return;
    if (words.Empty()) return ConvertText(text, direction, tables);
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    Scratch& scratch = ThreadScratch();
    scratch.out.clear();
    const DirectionIndex& chars = tables.Index(direction);
    if (Overlayable(chars, words) && !LoneLeadConverts(text, chars)) {
        scratch.out = text;
        ConvertText(scratch.out, direction, tables);
        OverlayPhrases(s, text.size(), words, scratch.out);
    } else if (chars.direct) {
        ConvertDirect(s, text.size(), chars, words, scratch.out);
    } else {
        ConvertByStretches(s, text.size(), direction, tables, words, scratch);
    }
    text.swap(scratch.out);
}

bool ConvertWordsLineRun(const char* run, std::size_t size, Direction direction, const CharTables& tables,
                         const PhraseTables& phrases, std::string& out) {
    out.clear();
    const DirectionIndex& chars = tables.Index(direction);
    const PhraseDirectionIndex& words = phrases.Index(direction);
    if (!chars.wholeLines || !words.WholeLines()) return false;
    const auto* s = reinterpret_cast<const unsigned char*>(run);
    if (Overlayable(chars, words)) {
        out.assign(run, size);
        if (size != 0) ConvertLineRun(&out[0], size, direction, tables);
        OverlayPhrases(s, size, words, out);
    } else {
        ConvertDirect(s, size, chars, words, out);
    }
    return true;
}
