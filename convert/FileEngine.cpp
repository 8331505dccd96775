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

EncodingGuess FindEncoding(platform::CTextReader& reader, const FileJob& job) {
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
    CEncodingDetector detector;
    reader.Peek([&](const char* data, std::size_t size) {
        detector.Feed(data, size);
        return !detector.Settled();
    });
    return detector.Finish();
}

}  // namespace

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
    report.encoding = FindEncoding(reader, job);
    const platform::LineLayout layout = LayoutOf(report.encoding.encoding);
    reader.SetLayout(layout, report.encoding.bomSize);

    platform::CTextWriter writer;
    std::string temporary;
    if (job.dest.empty()) {
        writer.UseStandardOutput();
    } else if (!CreateTemporary(writer, job.dest, temporary)) {
        report.outcome = FileOutcome::CannotCreate;
        return report;
    }
    writer.SetLineBreak(layout);

    // The byte order mark as it was: only a file that had one gets one.
    const std::string bom = report.encoding.encoding == TextEncoding::Utf8      ? "\xEF\xBB\xBF"
                            : report.encoding.encoding == TextEncoding::Utf16Le ? "\xFF\xFE"
                                                                                : "\xFE\xFF";
    const bool bomWritten = report.encoding.bomSize == 0 || writer.Write(bom.data(), report.encoding.bomSize);
    const LinesOutcome lines = bomWritten
                                   ? ConvertLines(reader, writer, *job.conversion, report.encoding.encoding,
                                                  [&host](int position) { host.SetProgress(position); })
                                   : LinesOutcome::WriteFailed;
    if (lines == LinesOutcome::Done && reader.EndMarkOffset() >= 0) {
        report.bytesNotConverted = reader.BytesAfterEndMark();
        if (report.bytesNotConverted > 0) report.endMarkOffset = reader.EndMarkOffset();
    }
    reader.Close();
    const bool closed = writer.Close();
    if (lines != LinesOutcome::Done || !closed) {
        if (!temporary.empty()) platform::RemoveFile(temporary);
        report.outcome =
            lines == LinesOutcome::ReadFailed ? FileOutcome::ReadFailed : FileOutcome::WriteFailed;
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
