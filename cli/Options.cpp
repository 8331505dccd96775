// Options.cpp: argument parsing and the --help text of zendrix-convert.
#include "Options.hpp"

#include "Console.hpp"
#include "convert/Eligibility.hpp"
#include "core/ConversionChain.hpp"
#include "core/Parallel.hpp"
#include "core/Utf8.hpp"
#include "platform/FileSystem.hpp"

namespace cli {

namespace {

const std::string kUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] [--force] [--verbose]\n"
    "                INPUT OUTPUT";
const std::string kBatchUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] --batch SOURCE DEST\n"
    "                [--filter TEXT] [--force] [--verbose]";
const std::string kReviewUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] [--encoding E] --review FILE";

bool SetDirection(ConvertOptions& options, Direction direction, std::string& error) {
    if (options.directionGiven && options.direction != direction) {
        error = "give one direction only: --to-traditional or --to-simplified";
        return false;
    }
    options.direction = direction;
    options.directionGiven = true;
    return true;
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; false if there is none (an empty value
// counts as one only when allowEmpty).
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, bool allowEmpty,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 == args.size()) return false;
        value = args[++i];
    } else {
        value = arg.substr(name.size() + 1);
    }
    return allowEmpty || !value.empty();
}

bool IsOption(const std::string& arg, const std::string& name) {
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

// An encoding's name as the options take it; `none` ("auto" for the input, "same" for the output) leaves it
// to each file.
bool ParseEncoding(const std::string& name, const char* none, std::optional<TextEncoding>& encoding) {
    std::string lowered = name;
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (lowered == none) {
        encoding.reset();
    } else if (lowered == "gbk" || lowered == "cp936") {
        encoding = TextEncoding::Gbk;
    } else if (lowered == "big5" || lowered == "cp950") {
        encoding = TextEncoding::Big5;
    } else if (lowered == "utf-8" || lowered == "utf8") {
        encoding = TextEncoding::Utf8;
    } else if (lowered == "utf-16le" || lowered == "utf16le") {
        encoding = TextEncoding::Utf16Le;
    } else if (lowered == "utf-16be" || lowered == "utf16be") {
        encoding = TextEncoding::Utf16Be;
    } else {
        return false;
    }
    return true;
}

bool CheckNames(const std::vector<std::string>& names, const ConvertOptions& options, std::string& error) {
    if (options.review) {
        if (names.size() == 1 && !names[0].empty()) return true;
        error = names.empty()      ? "--review needs a FILE"
                : names.size() > 1 ? "--review takes one FILE only"
                                   : "an empty file name";
        return false;
    }
    const std::string first = options.batch ? "SOURCE" : "INPUT";
    const std::string second = options.batch ? "DEST" : "OUTPUT";
    if (names.size() < 2) {
        error = names.empty() ? "missing " + first + " and " + second : "missing " + second;
    } else if (names.size() > 2) {
        error = "one " + first + " and one " + second + " only; unexpected " + Quoted(names[2]);
    } else if (names[0].empty() || names[1].empty()) {
        error = options.batch ? "an empty folder name" : "an empty file name";
    } else if (options.batch && (names[0] == "-" || names[1] == "-")) {
        error = "--batch works with folders, not with '-' (standard input or output)";
    } else {
        return true;
    }
    return false;
}

}  // namespace

std::string Printable(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto escape = [](std::string& out, unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    };
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t n = name.size();
    for (std::size_t i = 0; i < n;) {
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, n - i, cp);
        if (length <= 0 || cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
            const int bytes = length > 0 ? length : 1;
            for (int k = 0; k < bytes; ++k) escape(out, p[i + k]);
            i += static_cast<std::size_t>(bytes);
            continue;
        }
#ifndef _WIN32
        if (cp == '\\') out += '\\';
#endif
        out.append(name, i, static_cast<std::size_t>(length));
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::string Quoted(const std::string& path) { return "'" + Printable(path) + "'"; }

bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error) {
    options = ConvertOptions();
    options.filter = kDefaultFilter;
    if (args.empty()) {
        error =
            "no arguments; usage: zendrix-convert --to-traditional|--to-simplified INPUT OUTPUT (or --batch "
            "SOURCE DEST, see --help)";
        return false;
    }
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);  // a lone "-" too: standard input or output
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--to-traditional" || arg == "--to-simplified") {
            const Direction direction =
                arg == "--to-traditional" ? Direction::ToTraditional : Direction::ToSimplified;
            if (!SetDirection(options, direction, error)) return false;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--convert-names") {
            options.convertNames = true;
        } else if (arg == "--phrases") {
            options.phrases = true;
        } else if (arg == "--review") {
            options.review = true;
        } else if (IsOption(arg, "--phrase-file")) {
            if (!TakeValue(args, i, "--phrase-file", false, options.phraseFile)) {
                error = "--phrase-file needs a FILE";
                return false;
            }
        } else if (IsOption(arg, "--table")) {
            if (!TakeValue(args, i, "--table", false, options.table)) {
                error = "--table needs a FILE";
                return false;
            }
        } else if (IsOption(arg, "--encoding")) {
            std::string name;
            if (!TakeValue(args, i, "--encoding", false, name) ||
                !ParseEncoding(name, "auto", options.encoding)) {
                error = "--encoding takes auto, gbk, big5, utf-8, utf-16le or utf-16be";
                return false;
            }
        } else if (IsOption(arg, "--dict")) {
            if (!TakeValue(args, i, "--dict", false, options.dict)) {
                error = "--dict needs a FILE";
                return false;
            }
        } else if (IsOption(arg, "--config")) {
            if (!TakeValue(args, i, "--config", false, options.config)) {
                error = std::string("--config needs a NAME: ") + ConversionNames();
                return false;
            }
            // OpenCC's users know the names as its files: s2twp.json.
            const std::string json = ".json";
            if (options.config.size() > json.size() &&
                options.config.compare(options.config.size() - json.size(), json.size(), json) == 0)
                options.config.resize(options.config.size() - json.size());
        } else if (IsOption(arg, "--output-encoding")) {
            std::string name;
            if (!TakeValue(args, i, "--output-encoding", false, name) ||
                !ParseEncoding(name, "same", options.outputEncoding)) {
                error = "--output-encoding takes same, gbk, big5, utf-8, utf-16le or utf-16be";
                return false;
            }
        } else if (IsOption(arg, "--filter")) {
            // An empty filter is meaningful: only files without an extension pass.
            if (!TakeValue(args, i, "--filter", true, options.filter)) {
                error = "--filter needs a TEXT";
                return false;
            }
            options.filterGiven = true;
        } else {
            error = "unknown option " + Quoted(arg);
            return false;
        }
    }
    if (options.help || options.version) return true;
    if (!options.config.empty() && (options.directionGiven || options.phrases)) {
        error =
            "--config names the whole conversion: no --to-traditional, --to-simplified or --phrases with it";
        return false;
    }
    if (!options.config.empty() && options.review) {
        error = "--review lists what the character table alone decided: not with --config";
        return false;
    }
    // A phrase file given means conversion by words, or the one --config reads.
    if (!options.phraseFile.empty() && options.config.empty()) options.phrases = true;
    if (!options.directionGiven && options.config.empty()) {
        error = "choose a direction: --to-traditional or --to-simplified";
        return false;
    }
    if (!options.batch && options.convertNames) {
        error = "--convert-names works with --batch only";
        return false;
    }
    if (!options.batch && options.filterGiven) {
        error = "--filter works with --batch only";
        return false;
    }
    if (options.review && options.outputEncoding) {
        error = "--review lists, it writes no file: no --output-encoding";
        return false;
    }
    if (options.review && (options.batch || options.force)) {
        error =
            std::string("--review lists, it writes no file: no ") + (options.batch ? "--batch" : "--force");
        return false;
    }
    if (!CheckNames(names, options, error)) return false;
    options.input = names[0];
    if (!options.review) options.output = names[1];
    return true;
}

std::string UsageText() {
    return "Usage: " + kUsageLine + "\n       " + kBatchUsageLine + "\n       " + kReviewUsageLine + R"(
       zendrix-convert --help | --version

Converts the text file INPUT into OUTPUT between Simplified and Traditional Chinese characters,
line by line, exactly as the Zendrix window converts a single file. INPUT may be GBK, Big5, UTF-8
or UTF-16 text; OUTPUT is written in the same encoding (a Big5 INPUT made Simplified in GBK), or in
the one --output-encoding names. With --batch, converts every eligible file
below the folder SOURCE, at any depth, into the folder DEST, as the window's batch conversion does.

Options:
  --to-traditional  Simplified to Traditional
  --to-simplified   Traditional to Simplified
  --table FILE      the character table to use (also --table=FILE); by default Runemap.dll in the
                    folder of this program, whatever the current folder
  --config NAME     convert as OpenCC 1.4.2 does under NAME (also --config=NAME), instead of
                    --to-traditional or --to-simplified and --phrases: s2t, t2s, s2tw, tw2s (Taiwan's
                    forms), s2twp, tw2sp (Taiwan's forms and words), s2hk, hk2s, s2hkp, hk2sp (Hong
                    Kong), t2tw, tw2t, t2hk, hk2t (between the Traditional standards), also as OpenCC's
                    file names (s2twp.json); needs the phrase file
  --dict FILE       the user's own pairs (also --dict=FILE): a UTF-8 text file of lines FROM<TAB>TO,
                    '#' starting a comment. Where one of them matches, at the longest, it is written as
                    given and wins over every shipped phrase and character; the text around it
                    converts as it would without it. A line that is no such pair is an error that
                    names the file and the line; nothing is written
  --encoding E      the input's encoding: auto (the default), gbk, big5, utf-8, utf-16le or utf-16be
  --output-encoding E  the output's encoding: same (the default: each input's own, but GBK for a
                    Big5 input made Simplified), gbk, big5, utf-8, utf-16le or utf-16be (UTF-16 with its byte order mark; UTF-8 with one only when
                    the input had one). A file holding a character that encoding cannot hold is not
                    written: the message names the first such character, its line and its column.
                    In a web page, an encoding declaration near the top (<meta charset=...>,
                    content="...; charset=...", <?xml ... encoding="..."?>) that names the input's
                    encoding is changed to name the output's. Big5 lacks OpenCC's standard forms
                    爲, 着, 啓, 衆 (it has Taiwan's 為, 著, 啟, 眾): convert with --config s2tw or
                    s2twp for Big5
  --phrases         convert by words: where a phrase of the phrase file starts, the longest one is
                    replaced by its counterpart (复杂 -> 複雜, 头发 -> 頭髮), and the character table
                    converts the rest; without it every character converts alone
  --phrase-file FILE  the phrase file (implies --phrases, or is the one --config reads); by default
                    Runewords.txt in the folder of this program
  --review          with one FILE: list, on stdout, each place where a character with several
                    counterparts (发: 發 or 髮) was converted by the character table alone, with no
                    phrase deciding it: FILE:LINE:COLUMN: the character, the form chosen and the
                    others (columns count characters from 1). With --phrases the phrases decide
                    first (and with --dict the user's pairs before them); without them every such
                    character is listed. Writes no file
  --force           replace an output that existed before this run (never an input itself, nor the
                    table, phrase file or --dict file the run converts with)
  --batch           folder mode: SOURCE and DEST are folders
  --convert-names   with --batch: name each output by the conversion of its input's name
                    (简体说明.txt becomes 簡體說明.txt); a name whose converted form Windows would not
                    take (empty, a character such as : or ?, a device name) or that is too long for a
                    file name is kept, and said on stderr.
                    Two names that convert alike meet as any two outputs of one name do
  --filter TEXT     with --batch: the eligibility filter (also --filter=TEXT), as typed in the
                    window's filter box; by default
                    )" +
           std::string(kDefaultFilter) + R"(
  --verbose         name the encoding found for each file on stdout; with --batch, one line for each
                    file converted, skipped or passed over by the filter, each folder link not followed
                    and the DEST folder not entered
  --version         show the version
  --help, -h        show this text
  --                end of the options, for a file name that starts with '-'
INPUT '-' reads standard input and OUTPUT '-' writes standard output (not with --batch).

Encodings: a file that starts with a byte order mark is UTF-8 (EF BB BF), UTF-16LE (FF FE) or
UTF-16BE (FE FF). A file without one is UTF-8 when all of it is valid UTF-8 and its non-ASCII
characters read as real text in UTF-8. Anything else is read as Chinese in GBK and in Big5 (code
page 950): Big5 when that reading is clearly likelier, GBK when in doubt; a file that reads as
Chinese in neither (a Russian, Greek, Korean, Japanese or western code page) is not recognised and
not converted (exit code 3; --encoding converts it anyway). Short texts can be valid in both:
two Chinese characters in GBK may decode as a Hebrew mark and a combining accent in UTF-8, and the
detection then chooses GBK. When it guesses wrong, --encoding says what the file is. UTF-16 without
a byte order mark is not recognised: give --encoding utf-16le or utf-16be.
Standard input is streamed: its encoding is decided on its first 4 MB (all of it when shorter;
the 4 MB from its first byte outside ASCII when that comes within them), UTF-8 when that beginning is UTF-8 beyond doubt or all ASCII, otherwise as the detection reads it;
later bytes that do not decode pass unchanged (said on stderr when that beginning was all ASCII:
--encoding then tells what the stream is). Nothing is written twice to standard output: a file
converted to it is read to its end for the detection before a byte is written.
Every character GBK can hold converts exactly as it would in a GBK file; characters GBK cannot hold
(emoji, Hangul, rare CJK) and bytes that do not decode pass unchanged. The byte order mark, if any,
is kept.

Text: a line ends at LF and a CR right before the LF is dropped; every output line ends in CR LF
(in UTF-16, in 16-bit units), the last one included; an empty INPUT gives an empty OUTPUT. In GBK
a byte 0x1A ends the text, as in the classic text mode: the bytes after it are not converted, which
is reported on stderr unless the 0x1A is the file's last byte (the old end-of-file mark). In UTF-8
and UTF-16, 0x1A is an ordinary character. INPUT is only read, never changed.

Output: the result is written to a new file in OUTPUT's folder (zendrix-unfinished-PID-N.tmp)
and renamed to OUTPUT once complete, so a failure leaves no half-written OUTPUT and an existing
OUTPUT stays as it was. Ended by Ctrl+C, a signal or closing the console, the program removes that
file on its way out; only a hard kill can leave one, named as above. OUTPUT's folder must exist.
A replaced OUTPUT is a new file: it does not keep the old one's permissions or links; on Linux it
takes INPUT's permission bits (less the umask), so a private INPUT gives a private OUTPUT. An OUTPUT
that is a device, pipe or socket is never replaced, not even with --force. Standard output that is
INPUT itself (>> INPUT) is refused. Running out of memory (a line too long) fails that file alone.
Write errors on standard output (a full disk) fail the run, the summary and --verbose lines
included; when its reader closes a pipe, the program ends quietly with a failing exit code. Names
in messages show control characters, bytes that are not UTF-8 and (on Linux) backslashes escaped
(\xNN, \\).

Batch: a file is eligible when its name has no extension, or when its extension (from the first dot
of the name, lowered: a.min.js has .min.js) is not one of .doc .exe .dll .gif .jpg .jpge .ppt .xls
.xlc .bmp .ico .cur .swf .mdb .sys .com .mdf .dbf .ldf and occurs in the filter text after its first
character (a plain text search: .htm passes with *.html; a.txt passes with *.txt, not with .txt).
Other files are passed over. Every output goes directly into DEST under the file's own name:
SOURCE/a.txt and SOURCE/sub/b.txt become DEST/a.txt and DEST/b.txt. DEST is created, with its
missing parent folders. Each file is converted as in the single-file mode; one that fails leaves no
output and the run goes on with the next. An existing output is skipped unless --force is given;
the second of two files with the same name in different folders is always skipped and reported,
so that no output of this run is replaced by another. Links to folders (and junctions) are not
followed; DEST is not entered when it lies inside SOURCE; a file is never converted onto itself;
a folder that cannot be read is reported. Folders are walked in the order of their names. On a
terminal, stderr shows a progress line; at the end stdout gets the summary line
"converted N, skipped N, failed N" (", truncated N" follows when N inputs ended at a 0x1A byte,
", not recognised N" when N inputs were in no encoding the program knows: each is named on stderr).

File names are taken as given: bytes on Linux; on Windows, from the wide command line, so any name
Windows can hold works.

Exit codes:
  0  OUTPUT written; with --batch: no file failed (skipped files are no failure)
  1  conversion failed: reading an input or writing an output failed, memory ran out, or an output
     could not be created or renamed into place; no partial output is left (what already went to
     standard output is counted in the message). With --batch: some file failed or a folder could
     not be read (the others were converted). Also: writing standard output failed, or its pipe
     was closed by its reader
  2  bad use, nothing written: unknown option, missing or extra argument, no direction or both, the
     table file missing, unreadable or without its banner line; INPUT missing or unreadable, OUTPUT
     being INPUT or a file the run converts with (the table, the phrase file, the --dict file; under
     any spelling or link, or as standard output), OUTPUT existing without
     --force, OUTPUT a folder, a device, pipe or socket, OUTPUT's folder missing; --batch: SOURCE
     not a folder, DEST existing but not a folder or not creatable, DEST being SOURCE itself
  3  INPUT is in no encoding the program knows (not GBK, Big5, UTF-8 or UTF-16): nothing written;
     with --batch: some input was such (and none failed)
Ended by a signal (Ctrl+C, SIGTERM, a closed pipe), the program removes its unfinished output and
ends by that signal.
)";
}

int CLoadedConversion::Load(const ConvertOptions& options, std::string& message, bool withPhrases) {
    const bool phrases = options.phrases || withPhrases || !options.config.empty();
    const std::string phrasePath =
        options.phraseFile.empty() ? ProgramFile(kPhraseFileName) : options.phraseFile;
    const std::string tablePath = options.table.empty() ? ProgramFile(kTableFileName) : options.table;
    // The two files are read at the same time: the phrases take most of the start.
    PhraseLoadResult phrasesRead = PhraseLoadResult::Loaded;
    LoadResult tablesRead = LoadResult::Loaded;
    parallel::ForEachPart(phrases ? 2 : 1, [&](std::size_t k) {
        if (k == 0) {
            tablesRead = LoadTables(m_tables, tablePath);
        } else {
            phrasesRead = LoadPhrases(m_phrases, phrasePath);
        }
    });
    const char* needs = options.config.empty() ? "--phrases" : "--config";
    switch (phrasesRead) {
        case PhraseLoadResult::NotOpenable:
            message = "cannot open the phrase file " + Quoted(phrasePath) + " (" + needs + " needs it)";
            return kExitUsage;
        case PhraseLoadResult::Damaged:
            message = Quoted(phrasePath) + " is not a Zendrix phrase file, or it is damaged";
            return kExitUsage;
        case PhraseLoadResult::Loaded:
            break;
    }
    switch (tablesRead) {
        case LoadResult::NotOpenable:
            message = "cannot open the table file " + Quoted(tablePath);
            return kExitUsage;
        case LoadResult::BannerMismatch:
            message =
                Quoted(tablePath) + " is not a Zendrix character table (its second line is not the banner)";
            return kExitUsage;
        case LoadResult::Loaded:
            break;
    }
    if (!options.config.empty()) {
        if (!CConversionChain::Build(options.config, m_phrases, m_tables, m_chain, message))
            return kExitUsage;
        m_chain.Prepare();
        m_conversion.emplace(m_tables, m_chain);
    } else {
        m_conversion.emplace(m_tables, options.direction, options.phrases ? &m_phrases : nullptr);
    }
    if (!options.dict.empty()) {
        if (!m_user.Load(options.dict, message)) return kExitUsage;
        m_conversion->Prefer(&m_user);
    }
    m_filesRead = {tablePath};
    if (phrases) m_filesRead.push_back(phrasePath);
    if (!options.dict.empty()) m_filesRead.push_back(options.dict);
    return kExitOk;
}

bool CLoadedConversion::ReadFrom(const std::string& output) const {
    for (const std::string& file : m_filesRead) {
        if (output.empty() ? platform::StandardOutputIs(file)
                           : platform::PathExists(output) && platform::SameFile(file, output))
            return true;
    }
    return false;
}

}  // namespace cli
