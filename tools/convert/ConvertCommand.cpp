// ConvertCommand.cpp: argument parsing and the conversion run of zendrix-convert.
#include "ConvertCommand.hpp"

#include "System.hpp"
#include "convert/ConvertLines.hpp"
#include "convert/Eligibility.hpp"
#include "core/CharTables.hpp"
#include "platform/TextFile.hpp"

namespace cli {

namespace {

const std::string kUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] [--force] INPUT OUTPUT";
const std::string kBatchUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] --batch SOURCE DEST [--filter TEXT]\n"
    "                [--force] [--verbose]";

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool SetDirection(ConvertOptions& options, int toTraditional, std::string& error) {
    if (options.toTraditional != -1 && options.toTraditional != toTraditional) {
        error = "give one direction only: --to-traditional or --to-simplified";
        return false;
    }
    options.toTraditional = toTraditional;
    return true;
}

// The temporary output sits beside OUTPUT so that the final rename stays within one folder. It is created
// exclusively: a name already taken is never truncated.
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

bool CheckNames(const std::vector<std::string>& names, bool batch, std::string& error) {
    const std::string first = batch ? "SOURCE" : "INPUT";
    const std::string second = batch ? "DEST" : "OUTPUT";
    if (names.size() < 2) {
        error = names.empty() ? "missing " + first + " and " + second : "missing " + second;
    } else if (names.size() > 2) {
        error = "one " + first + " and one " + second + " only; unexpected " + Quoted(names[2]);
    } else if (names[0].empty() || names[1].empty()) {
        error = batch ? "an empty folder name" : "an empty file name";
    } else {
        return true;
    }
    return false;
}

bool CreateTemporaryBeside(const std::string& output, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary =
            output + ".zendrix-" + std::to_string(ProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        if (CreateNewFile(temporary)) return true;
        if (!PathExists(temporary)) return false;  // the folder refuses, not a name clash
    }
    return false;
}

FileOutcome CheckOutput(const std::string& input, const std::string& output, bool force,
                        std::string& message) {
    if (!PathExists(output)) return FileOutcome::Converted;
    if (SameFile(input, output)) {
        message = "the output " + Quoted(output) + " is the input file itself";
        return FileOutcome::OutputIsInput;
    }
    if (IsDirectory(output)) {
        message = "the output " + Quoted(output) + " is a folder";
        return FileOutcome::OutputIsFolder;
    }
    if (!force) {
        message = "the output " + Quoted(output) + " exists already (--force replaces it)";
        return FileOutcome::OutputExists;
    }
    return FileOutcome::Converted;
}

// Streams every line of reader, converted, into the file at path. False on a read or write failure, with
// message set in terms of input and output.
bool WriteConverted(platform::CTextReader& reader, const std::string& path, const std::string& input,
                    const std::string& output, int toTraditional, const CharTables& tables,
                    std::string& message) {
    platform::CTextWriter writer;
    if (!writer.Create(path)) {
        message = "cannot write " + Quoted(path);
        return false;
    }
    const LinesOutcome outcome = ConvertLines(reader, writer, toTraditional, tables, [](int) {});
    const bool readFailed = outcome == LinesOutcome::ReadFailed;
    reader.Close();
    const bool written = writer.Close() && outcome == LinesOutcome::Done;
    if (readFailed) {
        message = "reading " + Quoted(input) + " failed; nothing was written";
    } else if (!written) {
        message = "writing " + Quoted(output) + " failed (disk full?); nothing was written";
    }
    return !readFailed && written;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error) {
    options = ConvertOptions();
    options.filter = kDefaultFilter;
    if (args.empty()) {
        error = "no arguments; usage: " + kUsageLine + " (or --batch SOURCE DEST, see --help)";
        return false;
    }
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--to-traditional" || arg == "--to-simplified") {
            if (!SetDirection(options, arg == "--to-traditional" ? 1 : 0, error)) return false;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (IsOption(arg, "--table")) {
            if (!TakeValue(args, i, "--table", false, options.table)) {
                error = "--table needs a FILE";
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
    if (options.help) return true;
    if (options.toTraditional == -1) {
        error = "choose a direction: --to-traditional or --to-simplified";
        return false;
    }
    if (!options.batch && (options.filterGiven || options.verbose)) {
        error = std::string(options.filterGiven ? "--filter" : "--verbose") + " works with --batch only";
        return false;
    }
    if (!CheckNames(names, options.batch, error)) return false;
    options.input = names[0];
    options.output = names[1];
    return true;
}

std::string UsageText() {
    return "Usage: " + kUsageLine + "\n       " + kBatchUsageLine + R"(

Converts the GBK text file INPUT into OUTPUT between Simplified and Traditional Chinese characters,
line by line, exactly as the Zendrix window converts a single file. With --batch, converts every
eligible file below the folder SOURCE, at any depth, into the folder DEST, as the window's batch
conversion does.

Options:
  --to-traditional  Simplified to Traditional
  --to-simplified   Traditional to Simplified
  --table FILE      the character table to use (also --table=FILE); by default Runemap.dll in the
                    folder of this program, whatever the current folder
  --force           replace an existing output (never an input itself)
  --batch           folder mode: SOURCE and DEST are folders
  --filter TEXT     with --batch: the eligibility filter (also --filter=TEXT), as typed in the
                    window's filter box; by default
                    )" +
           std::string(kDefaultFilter) + R"(
  --verbose         with --batch: one line on stdout for each file converted or skipped, and for
                    each folder link not followed and the DEST folder not entered
  --help, -h        show this text
  --                end of the options, for a file name that starts with '-'

Text: a line ends at LF and a CR right before the LF is dropped; a byte 0x1A ends the input. Every
output line ends in CR LF, the last one included; an empty INPUT gives an empty OUTPUT. INPUT is only
read, never changed.

Output: the result is written to a temporary file in OUTPUT's folder (OUTPUT.zendrix-PID-N.tmp) and
renamed to OUTPUT once complete, so a failure leaves no half-written OUTPUT and an existing OUTPUT
stays as it was. OUTPUT's folder must exist. A replaced OUTPUT is a new file: it does not keep the
old one's permissions or links.

Batch: a file is eligible when its name has no extension, or when its extension (from the first dot
of the name, lowered: a.min.js has .min.js) is not one of .doc .exe .dll .gif .jpg .jpge .ppt .xls
.xlc .bmp .ico .cur .swf .mdb .sys .com .mdf .dbf .ldf and occurs in the filter text after its first
character (a plain text search: .htm passes with *.html; a.txt passes with *.txt, not with .txt).
Other files are passed over without a word. Every output goes directly into DEST under the file's own
name: SOURCE/a.txt and SOURCE/sub/b.txt become DEST/a.txt and DEST/b.txt. DEST is created, with its
missing parent folders. Each file is converted as in the single-file mode; one that fails leaves no
output and the run goes on with the next. An existing output is skipped unless --force is given, and
so is the second of two files with the same name in different folders. Links to folders (and
junctions) are not followed; DEST is not entered when it lies inside SOURCE; a file is never
converted onto itself. Folders are walked in the order of their names. On a terminal, stderr shows a
progress line; at the end stdout gets the summary line "converted N, skipped N, failed N".

File names are taken as given (bytes on Linux; on Windows from the wide command line, converted to
GBK, so a name must be representable in GBK; a file below SOURCE whose name is not fails).

Exit codes:
  0  OUTPUT written; with --batch: no file failed (skipped files are no failure)
  1  conversion failed: reading an input or writing an output failed, or an output could not be
     created or renamed into place; no partial output is left. With --batch: some file failed or a
     folder could not be listed (the others were converted), or DEST could not be created
  2  bad use, nothing written: unknown option, missing or extra argument, no direction or both, the
     table file missing, unreadable or without its banner line; INPUT missing or unreadable, OUTPUT
     being INPUT (under any spelling or link), OUTPUT existing without --force, OUTPUT a folder;
     --batch: SOURCE not a folder, DEST existing but not a folder, DEST being SOURCE itself
)";
}

int LoadTablesFor(const ConvertOptions& options, CharTables& tables, std::string& message) {
    const std::string tablePath = options.table.empty() ? DefaultTablePath() : options.table;
    switch (LoadTables(tables, tablePath)) {
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
    return kExitOk;
}

FileOutcome ConvertOneFile(const std::string& input, const std::string& output, int toTraditional, bool force,
                           const CharTables& tables, std::string& message) {
    platform::CTextReader reader;
    if (!reader.Open(input)) {
        message = "cannot open the input " + Quoted(input) + " (missing, a folder, unreadable or in use)";
        return FileOutcome::InputUnreadable;
    }
    const FileOutcome refused = CheckOutput(input, output, force, message);
    if (refused != FileOutcome::Converted) return refused;

    std::string temporary;
    if (!CreateTemporaryBeside(output, temporary)) {
        message = "cannot create a file in the folder of " + Quoted(output);
        return FileOutcome::Failed;
    }
    if (!WriteConverted(reader, temporary, input, output, toTraditional, tables, message)) {
        RemoveFile(temporary);
        return FileOutcome::Failed;
    }
    switch (MoveIntoPlace(temporary, output, force)) {
        case MoveResult::Moved:
            return FileOutcome::Converted;
        case MoveResult::TargetExists:
            RemoveFile(temporary);
            message = "the output " + Quoted(output) + " appeared meanwhile; left as it is";
            return FileOutcome::OutputExists;
        case MoveResult::Failed:
            break;
    }
    RemoveFile(temporary);
    message = "cannot rename the finished output to " + Quoted(output) + "; nothing was written";
    return FileOutcome::Failed;
}

int RunConversion(const ConvertOptions& options, std::string& message) {
    CharTables tables;
    if (const int refused = LoadTablesFor(options, tables, message)) return refused;
    const FileOutcome outcome =
        ConvertOneFile(options.input, options.output, options.toTraditional, options.force, tables, message);
    switch (outcome) {
        case FileOutcome::Converted:
            return kExitOk;
        case FileOutcome::Failed:
            return kExitFailed;
        default:
            return kExitUsage;
    }
}

}  // namespace cli
