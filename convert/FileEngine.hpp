// FileEngine.hpp: converting one file into another, for the window and the command line alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "convert/OutputEncoding.hpp"
#include "core/EncodingDetection.hpp"
#include "core/TextConversion.hpp"
#include "platform/TextFile.hpp"

enum class FileOutcome {
    Converted,
    Declined,             // the destination exists and is to stay (the user said No; no --force)
    NoDestinationFolder,  // the destination's folder is missing and was not made
    DestinationIsSource,  // the same file under another spelling or through a link
    DestinationIsRead,    // a file the conversion itself was read from (its table, phrases, pairs)
    DestinationIsFolder,
    DestinationNotAFile,  // a device, pipe or socket: never replaced by a file
    SourceUnreadable,     // missing, a folder, unreadable or in use
    CannotCreate,         // no new file can be made beside the destination, or it may not be replaced
    ReadFailed,
    WriteFailed,
    CannotReplace,      // the finished output could not take the destination's name
    AppearedMeanwhile,  // the destination appeared while the output was written, and was not to be replaced
    Unwritable,         // a character the output's encoding cannot hold (FileReport::unwritable says where)
    NotRecognised,  // no byte order mark, not UTF-8, and neither GBK nor Big5 reads as Chinese: left alone
};

// What the front end decides about the destination before anything is read or written.
struct DestinationDecision {
    FileOutcome refusal = FileOutcome::Converted;  // anything else: stop here with this outcome
    bool replace = false;                          // an existing destination may be replaced
    // Go on reading the source, but refuse to write (CannotCreate) once it has opened: where the window's
    // order of messages puts an unreadable source first.
    bool refuseToCreate = false;
};

class IFileHost {
  public:
    virtual ~IFileHost() = default;
    virtual DestinationDecision Decide(const std::string& source, const std::string& dest) = 0;
    virtual void SetProgress(int /*position*/) {}
};

struct FileJob {
    std::string source;  // empty: standard input
    std::string dest;    // empty: standard output
    const CTextConversion* conversion = nullptr;
    std::optional<TextEncoding> encoding;  // the source's encoding when given; found in the source otherwise
    std::optional<TextEncoding>
        outputEncoding;  // the output's when given; otherwise OutputEncodingOf's choice
};

struct FileReport {
    FileOutcome outcome = FileOutcome::Converted;
    EncodingGuess encoding;
    TextEncoding output = TextEncoding::Gbk;  // the encoding the output is written in
    std::optional<UnwritablePlace> unwritable;
    // The conversion writes the standard Traditional forms (爲, 着), not Taiwan's (為, 著) nor Simplified
    // ones: where Big5 lacks a character, Taiwan's forms may be what was wanted.
    bool standardForms = false;
    bool declarationChanged = false;  // a web page's encoding declaration now names the output's encoding
    // Where a 0x1A byte ended a GBK source that had more after it, and how much more: those bytes were not
    // converted. A 0x1A that is the last byte is the old end-of-file mark and not reported (-1).
    std::int64_t endMarkOffset = -1;
    std::int64_t bytesNotConverted = 0;
    // A stream all ASCII as far as its encoding was decided, so taken for UTF-8, went on in bytes that are
    // not UTF-8 (GBK, most likely): they passed unconverted.
    bool notUtf8AfterAscii = false;
    // A failure for want of memory (a line too long, a conversion too large): ReadFailed, told apart.
    bool outOfMemory = false;
    // Standard output: the bytes that reached it, which a failure cannot take back, and whether writing
    // failed because its reader had gone.
    std::int64_t bytesWritten = 0;
    bool outputClosed = false;
};

// Converts job.source into job.dest line by line with CR LF line ends, in the source's own encoding and with
// its byte order mark, or in the output encoding given (UTF-16 then with its byte order mark, UTF-8 with one
// only when the source had one); a character that encoding cannot hold stops the file (Unwritable). The
// output is written to a new file beside dest, created exclusively and written through the handle that
// created it, and takes dest's name only once complete: a failure never leaves a half-written file, and an
// existing dest stays as it was unless the conversion succeeded.
// Running out of memory fails this file alone (ReadFailed, outOfMemory), its temporary output removed.
FileReport ConvertOneFile(const FileJob& job, IFileHost& host);

// Finds the encoding of an input that was just opened (or takes the one given) and sets the reader's layout
// for it, its byte order mark passed over: for readers of a whole input that convert nothing.
EncodingGuess ReadEncoding(platform::CTextReader& reader, const std::optional<TextEncoding>& given);

// The name of the temporary output beside dest, in its folder: zendrix-unfinished-PID-N.tmp, short whatever
// dest's name, and telling what a leftover is.
std::string TemporaryName(const std::string& dest, int attempt);
