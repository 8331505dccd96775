// FileEngine.cpp: one file, through a temporary output beside its destination.
#include "FileEngine.hpp"

#include <new>

#include "ConvertLines.hpp"
#include "core/ConversionChain.hpp"
#include "platform/FileSystem.hpp"
#include "platform/TextFile.hpp"

namespace {

// Creates the temporary output; false if the folder refuses new files (a name clash is tried again).
bool CreateTemporary(platform::CTextWriter& writer, const std::string& dest, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(dest, attempt);
        if (writer.CreateNew(temporary)) {
            platform::SetUnfinishedOutput(temporary);
            return true;
        }
        if (!platform::PathExists(temporary)) break;
    }
    temporary.clear();  // nothing of ours to remove
    return false;
}

// How far an input that cannot go back (a pipe) is looked at before its encoding is decided: what is held of
// it in memory beyond its longest line.
constexpr std::size_t kStreamLookAhead = 4 * 1024 * 1024;

// Where the first byte outside ASCII is, or size.
std::size_t FirstHighByte(const char* data, std::size_t size) {
    std::size_t k = 0;
    while (k < size && static_cast<unsigned char>(data[k]) < 0x80) ++k;
    return k;
}

// The encoding as given, or as found in the input's first bytes. A file whose beginning is UTF-8 beyond doubt
// is not read twice when its output can be thrown away: it is converted as UTF-8 while the detector checks
// the rest as it comes (provisional), and converted again as GBK in the rare case that the rest is not UTF-8
// after all. Nothing is ever written twice to an output that cannot be thrown away (standard output): a file
// is then looked at to its end first. An input that cannot go back (a pipe) is decided on its first
// kStreamLookAhead bytes, or as many from its first byte outside ASCII when that comes within them (ASCII
// tells nothing), and then streamed: UTF-8 when its reading is convincing or when it is all ASCII so far,
// otherwise what the detection says of those bytes; later bytes that do not decode pass unchanged.
// wholeChecked: the detection saw all of the input (or the result is not kept if it fails).
// checkedByParts: the rest of a provisional UTF-8 input is not fed to the detector; the threads that convert
// it find out whether it is UTF-8 (CUtf8Check), most of it on the way, for free.
// asciiSoFar: a stream taken for UTF-8 with nothing but ASCII to go by.
EncodingGuess FindEncoding(platform::CTextReader& reader, const FileJob& job, CEncodingDetector& detector,
                           bool& provisional, bool& wholeChecked, bool& checkedByParts, bool& asciiSoFar) {
    checkedByParts = false;
    provisional = false;
    wholeChecked = true;
    asciiSoFar = false;
    if (job.encoding) {
        EncodingGuess forced{*job.encoding, 0};
        // A forced encoding still keeps its own byte order mark out of the text.
        reader.Peek([&](const char* data, std::size_t size) {
            const EncodingGuess marked = DetectEncoding(data, size < 3 ? size : 3);
            if (marked.encoding == forced.encoding) forced.bomSize = marked.bomSize;
            return false;
        });
        return forced;
    }
    const bool mayRedo = reader.CanRewind() && !job.dest.empty();
    std::size_t seen = 0;
    bool sawHighByte = false;
    std::size_t lookTo = kStreamLookAhead;
    reader.Peek([&](const char* data, std::size_t size) {
        detector.Feed(data, size);
        if (!sawHighByte) {
            const std::size_t high = FirstHighByte(data, size);
            sawHighByte = high < size;
            if (sawHighByte && seen < kStreamLookAhead) lookTo = seen + high + kStreamLookAhead;
        }
        seen += size;
        if (detector.Settled() || (mayRedo && detector.OnlyValidityLeft())) return false;
        return reader.CanRewind() || seen < lookTo;
    });
    if (detector.Settled() || reader.PeekedToTheEnd()) return detector.Finish();
    if (mayRedo && detector.OnlyValidityLeft()) {
        checkedByParts = job.conversion != nullptr && job.conversion->ConvertsRunParts(TextEncoding::Utf8);
        if (!checkedByParts)
            reader.Watch([&detector](const char* data, std::size_t size) { detector.Feed(data, size); });
        provisional = true;
        return EncodingGuess{TextEncoding::Utf8, 0};
    }
    wholeChecked = false;
    asciiSoFar = !sawHighByte;
    if (detector.OnlyValidityLeft() || asciiSoFar) return EncodingGuess{TextEncoding::Utf8, 0};
    return detector.FinishBeginning();
}

// Whether an output in another encoding than the input's starts with a byte order mark: UTF-16 always, so
// that it can be read at all; UTF-8 when the input had one.
bool MarksOutput(TextEncoding output, bool inputMarked) {
    switch (output) {
        case TextEncoding::Gbk:
        case TextEncoding::Big5:
            return false;
        case TextEncoding::Utf8:
            return inputMarked;
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            break;
    }
    return true;
}

// Writes the input's lines converted, in its encoding after its byte order mark as it was, or in the
// output's encoding.
LinesOutcome WriteConverted(platform::CTextReader& reader, platform::CTextWriter& writer, const FileJob& job,
                            const EncodingGuess& encoding, bool wholeChecked, IFileHost& host,
                            FileReport& report, CUtf8Check* check = nullptr) {
    const TextEncoding output =
        OutputEncodingOf(encoding.encoding, job.conversion->GetDirection(), job.outputEncoding);
    report.output = output;
    reader.SetLayout(LayoutOf(encoding.encoding), encoding.bomSize);
    writer.SetLineBreak(LayoutOf(output));
    // Big5 converts as UTF-8 and is always written through the transcoding writer (ConvertLines).
    const bool same = output == encoding.encoding && encoding.encoding != TextEncoding::Big5;
    const std::string bom = ByteOrderMark(output);
    if ((same ? encoding.bomSize > 0 : MarksOutput(output, encoding.bomSize > 0)) &&
        !writer.Write(bom.data(), bom.size())) {
        return LinesOutcome::WriteFailed;
    }
    // UTF-8 found without a byte order mark was checked to its end, or is converted again if it fails the
    // check; a stream decided on its beginning was not.
    const bool knownValid =
        encoding.encoding == TextEncoding::Utf8 && encoding.bomSize == 0 && !job.encoding && wholeChecked;
    const auto progress = [&host](int position) { host.SetProgress(position); };
    if (same)
        return ConvertLines(reader, writer, *job.conversion, encoding.encoding, progress, knownValid, check);
    const TextEncoding lines =
        encoding.encoding == TextEncoding::Big5 ? TextEncoding::Utf8 : encoding.encoding;
    CTranscodingWriter transcoding(writer, lines, encoding.encoding, output);
    const LinesOutcome outcome =
        ConvertLines(reader, transcoding, *job.conversion, encoding.encoding, progress, knownValid, check);
    report.unwritable = transcoding.Unwritable();
    const CConversionChain* chain = job.conversion->Chain();
    report.standardForms = job.conversion->GetDirection() == Direction::ToTraditional &&
                           (chain == nullptr || !chain->TaiwanForms());
    report.declarationChanged = transcoding.DeclarationChanged();
    return outcome;
}

bool OpenOutput(platform::CTextWriter& writer, const FileJob& job, std::string& temporary) {
    if (!job.dest.empty()) {
        if (!CreateTemporary(writer, job.dest, temporary)) return false;
        // Before a byte is in it: an output is no more readable to others than its source.
        if (!job.source.empty()) writer.TakePermissionsOf(job.source);
        return true;
    }
    writer.UseStandardOutput();
    return true;
}

}  // namespace

EncodingGuess ReadEncoding(platform::CTextReader& reader, const std::optional<TextEncoding>& given) {
    FileJob job;
    job.encoding = given;
    CEncodingDetector detector;
    bool provisional = false;
    bool wholeChecked = true;
    bool checkedByParts = false;
    bool asciiSoFar = false;
    EncodingGuess guess =
        FindEncoding(reader, job, detector, provisional, wholeChecked, checkedByParts, asciiSoFar);
    if (provisional) {
        // Read to the end for the detection alone, and start again.
        platform::LineRun run;
        reader.SetLayout(LayoutOf(TextEncoding::Utf8));
        while (reader.ReadLines(run)) {
        }
        guess = detector.Finish();
        if (!reader.Rewind()) return guess;
        reader.Peek([](const char*, std::size_t) { return false; });
    }
    reader.SetLayout(LayoutOf(guess.encoding), guess.bomSize);
    return guess;
}

std::string TemporaryName(const std::string& dest, int attempt) {
    // A short name of its own, so that a destination's name at the system's limit leaves room for it; in the
    // destination's folder (on Windows, its drive when it is "C:name"), so that renaming it into place is no
    // copy.
#ifdef _WIN32
    const std::size_t cut = dest.find_last_of("\\/:");
#else
    const std::size_t cut = dest.rfind('/');
#endif
    const std::string folder = cut == std::string::npos ? std::string() : dest.substr(0, cut + 1);
    return folder + "zendrix-unfinished-" + std::to_string(platform::ProcessId()) + "-" +
           std::to_string(attempt) + ".tmp";
}

namespace {

// ConvertOneFile but for running out of memory: the temporary output it makes is named in temporary until it
// has taken dest's name or is gone.
void ConvertThrough(const FileJob& job, IFileHost& host, platform::CTextWriter& writer,
                    std::string& temporary, FileReport& report) {
    // Before anything is asked: renaming over a device or a pipe would put a file in its place (as root,
    // /dev/null).
    if (!job.dest.empty() && platform::IsSpecialFile(job.dest)) {
        report.outcome = FileOutcome::DestinationNotAFile;
        return;
    }
    const DestinationDecision decision = host.Decide(job.source, job.dest);
    if (decision.refusal != FileOutcome::Converted) {
        report.outcome = decision.refusal;
        return;
    }

    platform::CTextReader reader;
    if (job.source.empty()) {
        reader.OpenStandardInput();
    } else if (!reader.Open(job.source)) {
        report.outcome = FileOutcome::SourceUnreadable;
        return;
    }
    if (decision.refuseToCreate) {
        report.outcome = FileOutcome::CannotCreate;
        return;
    }
    CEncodingDetector detector;
    bool provisional = false;
    bool wholeChecked = true;
    bool checkedByParts = false;
    bool asciiSoFar = false;
    report.encoding =
        FindEncoding(reader, job, detector, provisional, wholeChecked, checkedByParts, asciiSoFar);
    if (!report.encoding.recognised) {
        report.outcome = FileOutcome::NotRecognised;
        return;
    }

    if (!OpenOutput(writer, job, temporary)) {
        temporary.clear();
        report.outcome = FileOutcome::CannotCreate;
        return;
    }
    CUtf8Check check;
    LinesOutcome lines = WriteConverted(reader, writer, job, report.encoding, wholeChecked, host, report,
                                        checkedByParts || asciiSoFar ? &check : nullptr);
    if (checkedByParts) detector.EndRest(!check.Invalid());
    report.notUtf8AfterAscii = asciiSoFar && check.Invalid();
    if (lines == LinesOutcome::Done && provisional && detector.Finish().encoding != TextEncoding::Utf8) {
        // Not UTF-8 after all: all of it again, in what the detection found, into a fresh output.
        writer.Close();
        platform::RemoveFile(temporary);
        temporary.clear();
        report.encoding = detector.Finish();
        if (!report.encoding.recognised) {
            report.outcome = FileOutcome::NotRecognised;
            return;
        }
        const bool again = reader.Rewind() && OpenOutput(writer, job, temporary);
        report.unwritable.reset();
        lines = again ? WriteConverted(reader, writer, job, report.encoding, true, host, report)
                      : LinesOutcome::ReadFailed;
    }
    if (lines == LinesOutcome::Done && reader.EndMarkOffset() >= 0) {
        report.bytesNotConverted = reader.BytesAfterEndMark();
        if (report.bytesNotConverted > 0) report.endMarkOffset = reader.EndMarkOffset();
    }
    reader.Close();
    const bool closed = writer.Close();
    report.bytesWritten = writer.BytesWritten();
    report.outputClosed = writer.PipeClosed();
    if (lines != LinesOutcome::Done || !closed) {
        if (!temporary.empty()) platform::RemoveFile(temporary);
        temporary.clear();
        report.outcome = lines == LinesOutcome::ReadFailed ? FileOutcome::ReadFailed
                         : report.unwritable               ? FileOutcome::Unwritable
                                                           : FileOutcome::WriteFailed;
        report.outOfMemory = lines == LinesOutcome::ReadFailed && reader.OutOfMemory();
        return;
    }
    if (temporary.empty()) return;

    switch (platform::MoveIntoPlace(temporary, job.dest, decision.replace)) {
        case platform::MoveResult::Moved:
            temporary.clear();
            return;
        case platform::MoveResult::TargetExists:
            report.outcome = FileOutcome::AppearedMeanwhile;
            break;
        case platform::MoveResult::Failed:
            report.outcome = FileOutcome::CannotReplace;
            break;
    }
    platform::RemoveFile(temporary);
    temporary.clear();
}

}  // namespace

FileReport ConvertOneFile(const FileJob& job, IFileHost& host) {
    FileReport report;
    std::string temporary;
    std::optional<platform::CTextWriter> writer;
    try {
        writer.emplace();
        ConvertThrough(job, host, *writer, temporary, report);
        platform::SetUnfinishedOutput({});
    } catch (const std::bad_alloc&) {
        // The reader has closed the source on the way here; the output goes, and the next file may fare
        // better.
        report = FileReport{};
        report.outcome = FileOutcome::ReadFailed;
        report.outOfMemory = true;
        if (writer) {
            writer->Close();
            report.bytesWritten = writer->BytesWritten();
        }
        if (!temporary.empty()) platform::RemoveFile(temporary);
        platform::SetUnfinishedOutput({});
    }
    return report;
}
