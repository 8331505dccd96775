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
#include "core/EncodingDetection.hpp"
#include "core/PhraseTable.hpp"

namespace cli {

// 0: done (with --batch: no file failed; skipped files are no failure); also --help and --version.
// 1: a conversion failed while it ran (reading or writing); with --batch the other files were still
// converted. 2: bad use, found before a byte was written: arguments, the table, the input, the output or its
// folder.
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

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
    bool filterGiven = false;
    std::optional<TextEncoding> encoding;        // forced with --encoding; found in each file otherwise
    std::optional<TextEncoding> outputEncoding;  // --output-encoding; "same" (each input's own) otherwise
    std::string filter;                          // --batch only; the window's default filter unless given
    std::string table;                           // empty: the table file beside the executable
    std::string phraseFile;                      // empty: the phrase file beside the executable
    std::string input;                           // INPUT ("-": standard input), or SOURCE with --batch
    std::string output;                          // OUTPUT ("-": standard output), or DEST with --batch
};

// Reads the arguments that follow the program's name. On bad use returns false and says why in error.
bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error);

// The --help text.
std::string UsageText();

// Loads the table that options name, and with --phrases the phrase file. Returns kExitOk, or kExitUsage with
// message set.
int LoadTablesFor(const ConvertOptions& options, CharTables& tables, PhraseTables& phrases,
                  std::string& message);

// A name as messages show it: control characters (a newline, ESC, the C1 controls) and bytes that are not
// UTF-8 as \xNN, and on POSIX, where a backslash is an ordinary character of a name, a backslash as \\;
// everything else as it is. Quoted adds single quotes around it.
std::string Printable(const std::string& name);
std::string Quoted(const std::string& path);

}  // namespace cli
