// BatchCommand.cpp: zendrix-convert --batch: the command line's side of the folder walk.
#include <map>

#include "Commands.hpp"
#include "Console.hpp"
#include "convert/FolderWalk.hpp"
#include "platform/FileSystem.hpp"

namespace cli {

namespace {

class CBatchRun : public IWalkHost {
  public:
    CBatchRun(const ConvertOptions& options, const CLoadedConversion& loaded)
        : m_options(options), m_loaded(loaded), m_showProgress(ErrorIsTerminal()) {}

    // Clears the progress line and writes the summary.
    void Finish();
    bool AnyFailed() const { return m_failed > 0; }
    bool AnyNotRecognised() const { return m_notRecognised > 0; }

    DestinationDecision Decide(const std::string& source, const std::string& dest) override;
    std::string Filter() override { return m_options.filter; }
    void FileDone(const std::string& source, const std::string& dest, const FileReport& report) override;
    void PassedOver(const std::string& path, PassReason reason) override;
    void FolderUnreadable(const std::string& folder) override {
        Failed("cannot read the folder " + Quoted(folder) + "; its files were not converted");
    }
    bool AfterEntry() override { return true; }
    void NameKept(const std::string& path, const std::string& converted, NameKeptReason why) override {
        std::string because = "it is not UTF-8, so its characters are not known";
        if (why != NameKeptReason::NotUtf8) {
            because = "converted it would be " + Printable(converted) +
                      (why == NameKeptReason::TooLong ? ", too long for a file name"
                                                      : ", which Windows does not take as a file name");
        }
        ClearProgress();
        WriteError("zendrix-convert: " + Printable(path) + ": kept its name: " + because + "\n");
        ShowProgress();
    }

  private:
    void Converted(const std::string& line);
    void Skipped(const std::string& line, bool always);
    void Failed(const std::string& message);
    void Say(const std::string& line);  // a --verbose line
    void ClearProgress();
    void ShowProgress();
    std::string Counts() const;

    const ConvertOptions& m_options;
    const CLoadedConversion& m_loaded;
    const bool m_showProgress;
    std::size_t m_progressWidth = 0;  // of the progress line on the terminal now; 0 when there is none
    // The input converted in this run into an output, by the output's path and by its identity: on Windows
    // a.txt and A.txt name one file.
    std::map<std::string, std::string> m_written;
    std::map<std::string, std::string> m_writtenFiles;
    const std::string* EarlierInput(const std::string& dest) const;
    unsigned long m_converted = 0;
    unsigned long m_skipped = 0;
    unsigned long m_failed = 0;
    unsigned long m_truncated = 0;
    unsigned long m_notRecognised = 0;
};

const std::string* CBatchRun::EarlierInput(const std::string& dest) const {
    const auto byName = m_written.find(dest);
    if (byName != m_written.end()) return &byName->second;
    const std::string identity = platform::FileIdentity(dest);
    const auto byFile = identity.empty() ? m_writtenFiles.end() : m_writtenFiles.find(identity);
    return byFile != m_writtenFiles.end() ? &byFile->second : nullptr;
}

DestinationDecision CBatchRun::Decide(const std::string& source, const std::string& dest) {
    DestinationDecision decision;
    decision.replace = m_options.force;
    if (EarlierInput(dest) != nullptr) {
        decision.refusal = FileOutcome::Declined;  // an output of this run: never replaced
    } else if (platform::PathExists(dest)) {
        if (platform::SameFile(source, dest)) {
            decision.refusal = FileOutcome::DestinationIsSource;
        } else if (m_loaded.ReadFrom(dest)) {
            decision.refusal = FileOutcome::DestinationIsRead;
        } else if (platform::IsDirectory(dest)) {
            decision.refusal = FileOutcome::DestinationIsFolder;
        } else if (!m_options.force) {
            decision.refusal = FileOutcome::Declined;
        }
    }
    return decision;
}

void CBatchRun::FileDone(const std::string& source, const std::string& dest, const FileReport& report) {
    const std::string notice = EndMarkNotice(source, report);
    if (!notice.empty()) {
        ++m_truncated;
        ClearProgress();
        WriteError("zendrix-convert: " + notice + "\n");
    }
    const std::string* earlier = EarlierInput(dest);
    switch (report.outcome) {
        case FileOutcome::Converted:
            m_written[dest] = source;
            m_writtenFiles[platform::FileIdentity(dest)] = source;
            Converted("converted " + Printable(source) + " -> " + Printable(dest) + " (" +
                      EncodingsOf(report) + ")");
            return;
        case FileOutcome::Declined:
            if (earlier != nullptr) {
                // Always said: a file of SOURCE that is not in DEST must not go unnoticed.
                Skipped("skipped " + Printable(source) + ": same name as " + Printable(*earlier) +
                            ", converted into " + Printable(dest) + " in this run",
                        true);
            } else {
                Skipped("skipped " + Printable(source) + ": " + OutcomeMessage(report.outcome, source, dest),
                        false);
            }
            return;
        case FileOutcome::DestinationIsSource:
            Skipped("skipped " + Printable(source) + ": " + OutcomeMessage(report.outcome, source, dest),
                    false);
            return;
        case FileOutcome::DestinationIsRead:
            // Always said: the file's output is missing for a reason the user did not ask for.
            Skipped("skipped " + Printable(source) + ": " + OutcomeMessage(report.outcome, source, dest),
                    true);
            return;
        case FileOutcome::NotRecognised:
            // Always said, as a failure is: a file of SOURCE left without its output must not go unnoticed.
            ++m_notRecognised;
            ClearProgress();
            WriteError("zendrix-convert: " + OutcomeMessage(report.outcome, source, dest) + "\n");
            ShowProgress();
            return;
        default:
            Failed(ReportMessage(report, source, dest));
            return;
    }
}

void CBatchRun::PassedOver(const std::string& path, PassReason reason) {
    switch (reason) {
        case PassReason::Filtered:
            return Say("passed over " + Printable(path) + " (not admitted by the filter)");
        case PassReason::FolderLink:
            return Say("not followed: " + Printable(path) + " (a link to a folder)");
        case PassReason::DestinationFolder:
            return Say("not entered: " + Printable(path) + " (the destination folder)");
        case PassReason::NotAFile:
            return Skipped(
                "skipped " + Printable(path) + ": not a regular file (a device, pipe, socket or broken link)",
                false);
    }
}

void CBatchRun::Converted(const std::string& line) {
    ++m_converted;
    Say(line);
    ShowProgress();
}

void CBatchRun::Skipped(const std::string& line, bool always) {
    ++m_skipped;
    if (always && !m_options.verbose) {
        ClearProgress();
        WriteError("zendrix-convert: " + line + "\n");
    }
    Say(line);
    ShowProgress();
}

void CBatchRun::Failed(const std::string& message) {
    ++m_failed;
    ClearProgress();
    WriteError("zendrix-convert: " + message + "\n");
    ShowProgress();
}

void CBatchRun::Say(const std::string& line) {
    if (!m_options.verbose) return;
    ClearProgress();
    WriteOutput(line + "\n");
}

void CBatchRun::ClearProgress() {
    if (m_progressWidth == 0) return;
    WriteError("\r" + std::string(m_progressWidth, ' ') + "\r");
    m_progressWidth = 0;
}

void CBatchRun::ShowProgress() {
    if (!m_showProgress) return;
    const std::string counts = Counts();
    WriteError("\r" + counts);
    m_progressWidth = counts.size();
}

std::string CBatchRun::Counts() const {
    return "converted " + std::to_string(m_converted) + ", skipped " + std::to_string(m_skipped) +
           ", failed " + std::to_string(m_failed) +
           (m_truncated > 0 ? ", truncated " + std::to_string(m_truncated) : "") +
           (m_notRecognised > 0 ? ", not recognised " + std::to_string(m_notRecognised) : "");
}

void CBatchRun::Finish() {
    ClearProgress();
    WriteOutput(Counts() + "\n");
}

}  // namespace

int RunBatch(const ConvertOptions& options, std::string& message) {
    CLoadedConversion loaded;
    if (const int refused = loaded.Load(options, message)) return refused;
    const CTextConversion& conversion = loaded.Conversion();
    const std::string& source = options.input;
    const std::string& dest = options.output;
    if (!platform::IsDirectory(source)) {
        message = "the source " + Quoted(source) + " is not a folder";
        return kExitUsage;
    }
    if (platform::PathExists(dest) && !platform::IsDirectory(dest)) {
        message = "the destination " + Quoted(dest) + " exists and is not a folder";
        return kExitUsage;
    }
    if (platform::SameFile(source, dest)) {
        message = "the destination " + Quoted(dest) + " is the source folder itself";
        return kExitUsage;
    }
    if (!platform::MakeFolders(dest)) {
        message = "cannot create the destination folder " + Quoted(dest);
        return kExitUsage;
    }
    CBatchRun run(options, loaded);
    WalkFolder(source, dest, conversion, run,
               WalkOptions{true, options.encoding, options.outputEncoding, options.convertNames});
    run.Finish();
    return run.AnyFailed() ? kExitFailed : run.AnyNotRecognised() ? kExitNotRecognised : kExitOk;
}

}  // namespace cli
