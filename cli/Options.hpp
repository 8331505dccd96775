// Options.hpp: zendrix-convert's options, its --help text and its exit codes.
//
// zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] [--force] [--verbose]
//                 INPUT OUTPUT
// zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] --batch SOURCE DEST
//                 [--filter TEXT] [--force] [--verbose]
// zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] [--phrases] --review FILE
// Every mode takes --phrases: conversion by words (the phrase file beside the program, or --phrase-file
// FILE).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/CharTables.hpp"
#include "core/ConversionChain.hpp"
#include "core/EncodingDetection.hpp"
#include "core/PhraseTable.hpp"
#include "core/TextConversion.hpp"
#include "core/UserPairs.hpp"

namespace cli {

// 0: done (with --batch: no file failed; skipped files are no failure); also --help and --version.
// 1: a conversion failed while it ran (reading or writing); with --batch the other files were still
// converted. 2: bad use, found before a byte was written: arguments, the table, the input, the output or its
// folder.
// 3: the input's encoding was not recognised (neither GBK, Big5, UTF-8 nor UTF-16): nothing was written;
// --encoding says what it is. With --batch, some file was not recognised and no other failed.
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitNotRecognised = 3 };

struct ConvertOptions {
    Direction direction = Direction::ToTraditional;
    bool directionGiven = false;
    bool force = false;
    bool help = false;
    bool version = false;
    bool batch = false;
    bool review = false;   // list the places the character table alone decided, for INPUT only
    bool phrases = false;  // convert by words
    bool verbose = false;
    bool convertNames = false;  // --convert-names, with --batch
    bool filterGiven = false;
    std::optional<TextEncoding> encoding;        // forced with --encoding; found in each file otherwise
    std::optional<TextEncoding> outputEncoding;  // --output-encoding; "same" (each input's own) otherwise
    std::string filter;                          // --batch only; the window's default filter unless given
    std::string table;                           // empty: the table file beside the executable
    std::string phraseFile;                      // empty: the phrase file beside the executable
    std::string config;                          // --config NAME: one of OpenCC's named conversions
    std::string dict;                            // --dict FILE: the user's own pairs
    std::string input;                           // INPUT ("-": standard input), or SOURCE with --batch
    std::string output;                          // OUTPUT ("-": standard output), or DEST with --batch
};

// Reads the arguments that follow the program's name. On bad use returns false and says why in error.
bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error);

// The --help text.
std::string UsageText();

// What the options convert with: the table, the phrase file where needed, the named conversion, and the
// conversion over them.
class CLoadedConversion {
  public:
    // Loads the table the options name, the phrase file with --phrases or --config (or when withPhrases), and
    // builds the conversion. Returns kExitOk, or kExitUsage with message set.
    int Load(const ConvertOptions& options, std::string& message, bool withPhrases = false);

    const CTextConversion& Conversion() const { return *m_conversion; }
    const PhraseTables& Phrases() const { return m_phrases; }
    // Whether output ("" for standard output) is one of the files the conversion was read from, under any
    // spelling or link: replacing the table, the phrase file or the user's pairs would break the next run.
    bool ReadFrom(const std::string& output) const;

  private:
    CharTables m_tables;
    PhraseTables m_phrases;
    CConversionChain m_chain;
    CUserPairs m_user;
    std::optional<CTextConversion> m_conversion;
    std::vector<std::string> m_filesRead;
};

// A name as messages show it: control characters (a newline, ESC, the C1 controls) and bytes that are not
// UTF-8 as \xNN, and on POSIX, where a backslash is an ordinary character of a name, a backslash as \\;
// everything else as it is. Quoted adds single quotes around it.
std::string Printable(const std::string& name);
std::string Quoted(const std::string& path);

}  // namespace cli
