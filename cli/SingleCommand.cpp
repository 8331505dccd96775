// SingleCommand.cpp: zendrix-convert INPUT OUTPUT, and what every outcome of the engine means here.
#include <cstdio>

#include "Commands.hpp"
#include "Console.hpp"
#include "core/Utf8.hpp"
#include "platform/FileSystem.hpp"

namespace cli {

namespace {

// The command line's answers to the engine for one file.
class CSingleFileHost : public IFileHost {
  public:
    CSingleFileHost(bool force, const CLoadedConversion& loaded) : m_force(force), m_loaded(loaded) {}

    DestinationDecision Decide(const std::string& source, const std::string& dest) override {
        DestinationDecision decision;
        decision.replace = m_force;
        if (dest.empty()) {
            // Standard output, which may be the input itself (>> INPUT).
            if (platform::StandardOutputIs(source)) {
                decision.refusal = FileOutcome::DestinationIsSource;
            } else if (m_loaded.ReadFrom(dest)) {
                decision.refusal = FileOutcome::DestinationIsRead;
            }
            return decision;
        }
        if (!platform::PathExists(dest)) {
            const std::string folder = platform::FolderOf(dest);
            if (!folder.empty() && !platform::IsDirectory(folder))
                decision.refusal = FileOutcome::NoDestinationFolder;
        } else if (!source.empty() && platform::SameFile(source, dest)) {
            decision.refusal = FileOutcome::DestinationIsSource;
        } else if (m_loaded.ReadFrom(dest)) {
            decision.refusal = FileOutcome::DestinationIsRead;
        } else if (platform::IsDirectory(dest)) {
            decision.refusal = FileOutcome::DestinationIsFolder;
        } else if (!m_force) {
            decision.refusal = FileOutcome::Declined;
        }
        return decision;
    }

  private:
    bool m_force;
    const CLoadedConversion& m_loaded;
};

std::string NameOf(const std::string& path, const char* standard) {
    return path.empty() ? standard : Quoted(path);
}

}  // namespace

std::string OutcomeMessage(FileOutcome outcome, const std::string& input, const std::string& output) {
    const std::string in = NameOf(input, "standard input");
    const std::string out = NameOf(output, "standard output");
    switch (outcome) {
        case FileOutcome::Converted:
            return {};
        case FileOutcome::Declined:
            return "the output " + out + " exists already (--force replaces it)";
        case FileOutcome::NoDestinationFolder:
            return "the folder " + Quoted(platform::FolderOf(output)) + " of the output " + out +
                   " does not exist";
        case FileOutcome::DestinationIsSource:
            if (output.empty()) {
                return input.empty() ? std::string("standard input and standard output are the same file")
                                     : "standard output is the input file " + in + " itself";
            }
            return "the output " + out + " is the input file itself";
        case FileOutcome::DestinationIsRead:
            return (output.empty() ? std::string("standard output") : "the output " + out) +
                   " is a file this run converts with (the table, the phrase file or the --dict file); it "
                   "is never replaced";
        case FileOutcome::DestinationIsFolder:
            return "the output " + out + " is a folder";
        case FileOutcome::DestinationNotAFile:
            return "the output " + out +
                   " is not a regular file (a device, pipe or socket); it is never replaced";
        case FileOutcome::SourceUnreadable:
            return "cannot open the input " + in + " (missing, a folder, unreadable or in use)";
        case FileOutcome::CannotCreate:
            return "cannot create a file in the folder of " + out;
        case FileOutcome::ReadFailed:
            return "reading " + in + " failed; nothing was written";
        case FileOutcome::WriteFailed:
            return "writing " + out + " failed (disk full?); nothing was written";
        case FileOutcome::CannotReplace:
            return "cannot rename the finished output to " + out + "; nothing was written";
        case FileOutcome::AppearedMeanwhile:
            return "the output " + out + " appeared meanwhile; left as it is";
        case FileOutcome::Unwritable:
            return in + " holds a character the output's encoding cannot hold; nothing was written";
        case FileOutcome::NotRecognised:
            return "cannot tell the encoding of " + in +
                   ": it reads as Chinese neither in GBK nor in Big5, and is no UTF-8 or UTF-16 (a Russian, "
                   "Greek, "
                   "Korean, Japanese or western code page?); nothing was written. If it is Chinese, "
                   "--encoding gbk "
                   "or --encoding big5 converts it as such";
    }
    return {};
}

// OutcomeMessage, told more precisely where the report says more: memory that ran out, what already went to
// standard output; nothing at all for a reader that closed the pipe.
std::string FailureMessage(const FileReport& report, const std::string& input, const std::string& output) {
    if (output.empty() && report.outputClosed) return {};
    std::string message = report.outOfMemory
                              ? "not enough memory to convert " + NameOf(input, "standard input") +
                                    " (a line too long?); nothing was written"
                              : OutcomeMessage(report.outcome, input, output);
    // What went to standard output before the failure cannot be taken back.
    const std::string nothing = "; nothing was written";
    if (output.empty() && report.bytesWritten > 0 && message.size() > nothing.size() &&
        message.compare(message.size() - nothing.size(), nothing.size(), nothing) == 0) {
        message.resize(message.size() - nothing.size());
        message += "; the first " + std::to_string(report.bytesWritten) +
                   " bytes of the output had gone to standard output already: it is incomplete";
    }
    return message;
}

std::string ReportMessage(const FileReport& report, const std::string& input, const std::string& output) {
    if (report.outcome != FileOutcome::Unwritable || !report.unwritable)
        return FailureMessage(report, input, output);
    return NameOf(input, "standard input") + ", " +
           UnwritableText(*report.unwritable, report.encoding.encoding, report.output, report.standardForms) +
           "; " + (output.empty() ? "the lines before it went to standard output" : "nothing was written");
}

int ExitCodeOf(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Converted:
            return kExitOk;
        case FileOutcome::CannotCreate:
        case FileOutcome::ReadFailed:
        case FileOutcome::WriteFailed:
        case FileOutcome::CannotReplace:
        case FileOutcome::Unwritable:
            return kExitFailed;
        case FileOutcome::NotRecognised:
            return kExitNotRecognised;
        default:
            return kExitUsage;
    }
}

std::string EncodingsOf(const FileReport& report) {
    std::string text = EncodingName(report.encoding.encoding);
    if (report.output != report.encoding.encoding) text += std::string(" -> ") + EncodingName(report.output);
    if (report.declarationChanged) {
        text += std::string(", the page's encoding declaration now names ") + DeclaredName(report.output);
    }
    return text;
}

std::string EndMarkNotice(const std::string& input, const FileReport& report) {
    if (report.endMarkOffset < 0) return {};
    return NameOf(input, "standard input") + ": a 0x1A byte at offset " +
           std::to_string(report.endMarkOffset) + " ends the GBK text; the " +
           std::to_string(report.bytesNotConverted) + " bytes after it were not converted";
}

int RunConversion(const ConvertOptions& options, std::string& message) {
    CLoadedConversion loaded;
    if (const int refused = loaded.Load(options, message)) return refused;
    const CTextConversion& conversion = loaded.Conversion();
    const std::string input = options.input == "-" ? std::string() : options.input;
    const std::string output = options.output == "-" ? std::string() : options.output;
    CSingleFileHost host(options.force, loaded);
    const FileReport report =
        ConvertOneFile(FileJob{input, output, &conversion, options.encoding, options.outputEncoding}, host);
    const std::string notice = EndMarkNotice(input, report);
    if (!notice.empty()) WriteError("zendrix-convert: " + notice + "\n");
    if (report.notUtf8AfterAscii) {
        WriteError(
            "zendrix-convert: standard input held only ASCII in its first 4 MB, so it was read as UTF-8; "
            "bytes after them are not UTF-8 and went through unconverted (if it is GBK or Big5, --encoding "
            "gbk or --encoding big5 converts it)\n");
    }
    if (report.outcome != FileOutcome::Converted) {
        message = ReportMessage(report, input, output);
        return ExitCodeOf(report.outcome);
    }
    if (options.verbose) {
        const std::string line = "converted " + (input.empty() ? "-" : Printable(input)) + " -> " +
                                 (output.empty() ? "-" : Printable(output)) + " (" + EncodingsOf(report) +
                                 ")\n";
        // Standard output may be the converted text itself.
        if (output.empty()) {
            WriteError(line);
        } else {
            WriteOutput(line);
        }
    }
    return kExitOk;
}

}  // namespace cli
