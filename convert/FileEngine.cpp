// FileEngine.cpp: one file, through a temporary output beside its destination.
#include "FileEngine.hpp"

#include "ConvertLines.hpp"
#include "platform/FileSystem.hpp"
#include "platform/TextFile.hpp"

namespace {

// Creates the temporary output; false if the folder refuses new files (a name clash is tried again).
bool CreateTemporary(platform::CTextWriter& writer, const std::string& dest, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(dest, attempt);
        if (writer.CreateNew(temporary)) return true;
        if (!platform::PathExists(temporary)) return false;
    }
    return false;
}

// The encoding as given, or as found in the input's first bytes. A file whose beginning is UTF-8 beyond doubt
// is not read twice: it is converted as UTF-8 while the detector checks the rest as it comes (provisional),
// and converted again as GBK in the rare case that the rest is not UTF-8 after all.
EncodingGuess FindEncoding(platform::CTextReader& reader, const FileJob& job, CEncodingDetector& detector,
                           bool& provisional) {
    provisional = false;
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
    const bool mayGoBack = reader.CanRewind();
    reader.Peek([&](const char* data, std::size_t size) {
        detector.Feed(data, size);
        return !detector.Settled() && !(mayGoBack && detector.OnlyValidityLeft());
    });
    if (detector.Settled() || reader.PeekedToTheEnd() || !detector.OnlyValidityLeft())
        return detector.Finish();
    reader.Watch([&detector](const char* data, std::size_t size) { detector.Feed(data, size); });
    provisional = true;
    return EncodingGuess{TextEncoding::Utf8, 0};
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
                            const EncodingGuess& encoding, IFileHost& host, FileReport& report) {
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
    // check.
    const bool knownValid = encoding.encoding == TextEncoding::Utf8 && encoding.bomSize == 0 && !job.encoding;
    const auto progress = [&host](int position) { host.SetProgress(position); };
    if (same) return ConvertLines(reader, writer, *job.conversion, encoding.encoding, progress, knownValid);
    const TextEncoding lines =
        encoding.encoding == TextEncoding::Big5 ? TextEncoding::Utf8 : encoding.encoding;
    CTranscodingWriter transcoding(writer, lines, encoding.encoding, output);
    const LinesOutcome outcome =
        ConvertLines(reader, transcoding, *job.conversion, encoding.encoding, progress, knownValid);
    report.unwritable = transcoding.Unwritable();
    report.declarationChanged = transcoding.DeclarationChanged();
    return outcome;
}

bool OpenOutput(platform::CTextWriter& writer, const FileJob& job, std::string& temporary) {
    if (!job.dest.empty()) return CreateTemporary(writer, job.dest, temporary);
    writer.UseStandardOutput();
    return true;
}

}  // namespace

EncodingGuess ReadEncoding(platform::CTextReader& reader, const std::optional<TextEncoding>& given) {
    FileJob job;
    job.encoding = given;
    CEncodingDetector detector;
    bool provisional = false;
    EncodingGuess guess = FindEncoding(reader, job, detector, provisional);
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
    return dest + ".zendrix-" + std::to_string(platform::ProcessId()) + "-" + std::to_string(attempt) +
           ".tmp";
}

FileReport ConvertOneFile(const FileJob& job, IFileHost& host) {
    FileReport report;
    const DestinationDecision decision = host.Decide(job.source, job.dest);
    if (decision.refusal != FileOutcome::Converted) {
        report.outcome = decision.refusal;
        return report;
    }

    platform::CTextReader reader;
    if (job.source.empty()) {
        reader.OpenStandardInput();
    } else if (!reader.Open(job.source)) {
        report.outcome = FileOutcome::SourceUnreadable;
        return report;
    }
    if (decision.refuseToCreate) {
        report.outcome = FileOutcome::CannotCreate;
        return report;
    }
    CEncodingDetector detector;
    bool provisional = false;
    report.encoding = FindEncoding(reader, job, detector, provisional);
    if (!report.encoding.recognised) {
        report.outcome = FileOutcome::NotRecognised;
        return report;
    }

    platform::CTextWriter writer;
    std::string temporary;
    if (!OpenOutput(writer, job, temporary)) {
        report.outcome = FileOutcome::CannotCreate;
        return report;
    }
    LinesOutcome lines = WriteConverted(reader, writer, job, report.encoding, host, report);
    if (lines == LinesOutcome::Done && provisional && detector.Finish().encoding != TextEncoding::Utf8) {
        // Not UTF-8 after all: all of it again, in what the detection found, into a fresh output.
        writer.Close();
        platform::RemoveFile(temporary);
        report.encoding = detector.Finish();
        if (!report.encoding.recognised) {
            report.outcome = FileOutcome::NotRecognised;
            return report;
        }
        const bool again = reader.Rewind() && OpenOutput(writer, job, temporary);
        report.unwritable.reset();
        lines = again ? WriteConverted(reader, writer, job, report.encoding, host, report)
                      : LinesOutcome::ReadFailed;
    }
    if (lines == LinesOutcome::Done && reader.EndMarkOffset() >= 0) {
        report.bytesNotConverted = reader.BytesAfterEndMark();
        if (report.bytesNotConverted > 0) report.endMarkOffset = reader.EndMarkOffset();
    }
    reader.Close();
    const bool closed = writer.Close();
    if (lines != LinesOutcome::Done || !closed) {
        if (!temporary.empty()) platform::RemoveFile(temporary);
        report.outcome = lines == LinesOutcome::ReadFailed ? FileOutcome::ReadFailed
                         : report.unwritable               ? FileOutcome::Unwritable
                                                           : FileOutcome::WriteFailed;
        return report;
    }
    if (temporary.empty()) return report;

    switch (platform::MoveIntoPlace(temporary, job.dest, decision.replace)) {
        case platform::MoveResult::Moved:
            return report;
        case platform::MoveResult::TargetExists:
            report.outcome = FileOutcome::AppearedMeanwhile;
            break;
        case platform::MoveResult::Failed:
            report.outcome = FileOutcome::CannotReplace;
            break;
    }
    platform::RemoveFile(temporary);
    return report;
}
