// BatchCommand.cpp: the folder walk of zendrix-convert --batch.
#include "BatchCommand.hpp"

#include <algorithm>
#include <map>
#include <vector>

#include "System.hpp"
#include "convert/Eligibility.hpp"

namespace cli {

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The eligibility test takes the file name after the last backslash, as on Windows; a '/' is a separator too
// (0x2F is never a GBK trail byte, so this cannot split a character).
std::string EligibilityPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class CBatchRun {
  public:
    CBatchRun(const ConvertOptions& options, const CharTables& tables)
        : m_options(options), m_tables(tables), m_showProgress(ErrorIsTerminal()) {}

    void Walk(const std::string& folder);
    // Clears the progress line and writes the summary.
    void Finish();
    bool AnyFailed() const { return m_failed > 0; }

  private:
    void ConvertEntry(const std::string& path, const std::string& name);
    void Converted(const std::string& line);
    void Skipped(const std::string& line);
    void Failed(const std::string& message);
    void Say(const std::string& line);  // a --verbose line
    void ClearProgress();
    void ShowProgress();
    std::string Counts() const;

    const ConvertOptions& m_options;
    const CharTables& m_tables;
    const bool m_showProgress;
    std::size_t m_progressWidth = 0;  // of the progress line on the terminal now; 0 when there is none
    std::map<std::string, std::string> m_written;  // output path -> the input converted into it in this run
    unsigned long m_converted = 0;
    unsigned long m_skipped = 0;
    unsigned long m_failed = 0;
};

void CBatchRun::Walk(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) {
        Failed("cannot list the folder " + Quoted(folder) + "; its files were not converted");
        return;
    }
    // A fixed order on every file system: of two files with one name, the same one wins each time.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) {
        const std::string path = JoinPath(folder, entry.name);
        switch (entry.kind) {
            case EntryKind::Folder:
                if (!entry.exactName) {
                    Failed("cannot enter " + Quoted(path) +
                           ": its name holds a character that GBK cannot represent");
                } else if (SameFile(path, m_options.output)) {
                    Say("not entered: " + path + " (the destination folder)");
                } else {
                    Walk(path);
                }
                break;
            case EntryKind::FolderLink:
                Say("not followed: " + path + " (a link to a folder)");
                break;
            case EntryKind::File:
            case EntryKind::Special:
                if (!IsConvertible(EligibilityPath(path), m_options.filter)) break;
                if (!entry.exactName) {
                    Failed("cannot read " + Quoted(path) +
                           ": its name holds a character that GBK cannot represent");
                } else if (entry.kind == EntryKind::Special) {
                    Skipped("skipped " + path +
                            ": not a regular file (a device, pipe, socket or broken link)");
                } else {
                    ConvertEntry(path, entry.name);
                }
                break;
        }
    }
}

void CBatchRun::ConvertEntry(const std::string& path, const std::string& name) {
    const std::string target = JoinPath(m_options.output, name);
    const auto earlier = m_written.find(target);
    const std::string earlierSource = earlier == m_written.end() ? std::string() : earlier->second;
    std::string message;
    switch (ConvertOneFile(path, target, m_options.toTraditional, m_options.force, m_tables, message)) {
        case FileOutcome::Converted:
            m_written[target] = path;
            Converted(
                "converted " + path + " -> " + target +
                (earlierSource.empty() ? "" : " (replacing the one converted from " + earlierSource + ")"));
            break;
        case FileOutcome::OutputExists:
            if (!earlierSource.empty()) {
                message = target + " was converted from " + earlierSource +
                          " in this run: same file name (--force replaces it)";
            }
            Skipped("skipped " + path + ": " + message);
            break;
        case FileOutcome::OutputIsInput:
            Skipped("skipped " + path + ": " + message);
            break;
        case FileOutcome::InputUnreadable:
        case FileOutcome::OutputIsFolder:
        case FileOutcome::Failed:
            Failed(message);
            break;
    }
}

void CBatchRun::Converted(const std::string& line) {
    ++m_converted;
    Say(line);
    ShowProgress();
}

void CBatchRun::Skipped(const std::string& line) {
    ++m_skipped;
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
           ", failed " + std::to_string(m_failed);
}

void CBatchRun::Finish() {
    ClearProgress();
    WriteOutput(Counts() + "\n");
}

}  // namespace

int RunBatch(const ConvertOptions& options, std::string& message) {
    CharTables tables;
    if (const int refused = LoadTablesFor(options, tables, message)) return refused;
    const std::string& source = options.input;
    const std::string& dest = options.output;
    if (!IsDirectory(source)) {
        message = "the source " + Quoted(source) + " is not a folder";
        return kExitUsage;
    }
    if (PathExists(dest) && !IsDirectory(dest)) {
        message = "the destination " + Quoted(dest) + " exists and is not a folder";
        return kExitUsage;
    }
    if (SameFile(source, dest)) {
        message = "the destination " + Quoted(dest) + " is the source folder itself";
        return kExitUsage;
    }
    if (!MakeFolders(dest)) {
        message = "cannot create the destination folder " + Quoted(dest);
        return kExitFailed;
    }
    CBatchRun run(options, tables);
    run.Walk(source);
    run.Finish();
    return run.AnyFailed() ? kExitFailed : kExitOk;
}

}  // namespace cli
