// WindowRun.cpp: single-file conversion, the batch walk and the Start and Stop handlers of the window.
#include "WindowRun.hpp"

#include "convert/Eligibility.hpp"
#include "convert/EnsureDirectory.hpp"
#include "convert/OutputEncoding.hpp"
#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"

namespace {

// Whether the lines were being converted when the outcome came: the progress bar then goes back to 0.
bool LinesRan(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Converted:
        case FileOutcome::ReadFailed:
        case FileOutcome::WriteFailed:
        case FileOutcome::CannotReplace:
        case FileOutcome::AppearedMeanwhile:
        case FileOutcome::Unwritable:
            return true;
        default:
            return false;
    }
}

// A single file's destination in full: a bare file name goes beside the executable, whatever the current
// directory is; otherwise its folder is made if missing. False when that folder cannot be made.
bool SingleDestination(const std::string& dest, std::string& destFull) {
    const std::size_t slash = dest.rfind('\\');
    std::string dir;
    if (slash == std::string::npos || slash == 0) {
        dir = platform::FolderOf(platform::ExecutablePath());
    } else {
        dir = dest.substr(0, slash);
        if (!EnsureDirectory(dir)) return false;
    }
    destFull = dir + "\\" + dest.substr(slash == std::string::npos ? 0 : slash + 1);
    return true;
}

void LowerAscii(std::string& path) {
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
}

}  // namespace

DestinationDecision CWindowRun::Decide(const std::string& source, const std::string& dest) {
    DestinationDecision decision;
    decision.replace = true;  // what is there was either asked about, or appeared after the look-up
    platform::FileEntry existing;
    if (platform::FindFile(dest, existing)) {
        if (!m_host.AskYesNo(dest + ": This File is existed already! Do over it?")) {
            decision.refusal = FileOutcome::Declined;
            return decision;
        }
        // Windows refuses to overwrite a read-only file (Wine running as root would not), a folder cannot
        // take a file's place, and the source itself, through a link, stays what it is.
        decision.refuseToCreate = (existing.attributes & platform::kAttributeReadOnly) != 0 ||
                                  existing.IsDirectory() || platform::SameFile(source, dest);
        return decision;
    }
    const std::size_t slash = dest.rfind('\\');
    if (slash != std::string::npos && slash >= 1 && !EnsureDirectory(dest.substr(0, slash))) {
        decision.refusal = FileOutcome::NoDestinationFolder;
    }
    return decision;
}

void CWindowRun::Report(const std::string& source, const FileReport& report, bool batch) {
    switch (report.outcome) {
        case FileOutcome::Converted:
        case FileOutcome::Declined:
            return;
        case FileOutcome::NoDestinationFolder:
            return m_host.ShowMessage("Do not Create file path!");
        case FileOutcome::SourceUnreadable:
            return m_host.ShowMessage("Open File occur Err!");
        case FileOutcome::ReadFailed:
            return m_host.ShowMessage("Read File occur Err!");
        case FileOutcome::WriteFailed:
            return m_host.ShowMessage("Write File occur Err!");
        case FileOutcome::DestinationIsSource:
        case FileOutcome::DestinationIsRead:
        case FileOutcome::DestinationIsFolder:
        case FileOutcome::DestinationNotAFile:
        case FileOutcome::CannotCreate:
        case FileOutcome::CannotReplace:
        case FileOutcome::AppearedMeanwhile:
            return m_host.ShowMessage("Create File occur Err!");
        case FileOutcome::Unwritable:
            return m_host.ShowMessage(
                source + ": " +
                (report.unwritable
                     ? UnwritableText(*report.unwritable, report.encoding.encoding, report.output,
                                      report.standardForms)
                     : std::string("a character cannot be written in ") + EncodingName(report.output)) +
                ". The file was not converted.");
        case FileOutcome::NotRecognised:
            if (batch) return m_notRecognised.push_back(source);
            return m_host.ShowMessage(
                source + ": its encoding is not GBK, Big5, UTF-8 or UTF-16. The file was not converted.");
    }
}

void CWindowRun::ShowList(const char* heading, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string text = heading;
    for (const std::string& name : names) text += "\n" + name;
    m_host.ShowMessage(text);
}

bool CWindowRun::ConvertFile(const std::string& source, const std::string& dest,
                             const CTextConversion& conversion) {
    const FileReport report =
        ConvertOneFile(FileJob{source, dest, &conversion, std::nullopt, m_outputEncoding}, *this);
    if (LinesRan(report.outcome)) m_host.SetProgress(0);
    Report(source, report, false);
    return report.outcome == FileOutcome::Converted;
}

void CWindowRun::FileDone(const std::string& source, const std::string&, const FileReport& report) {
    if (LinesRan(report.outcome)) m_host.SetProgress(0);
    Report(source, report, true);
}

bool CWindowRun::AfterEntry() {
    m_host.DispatchWaitingMessages();
    return !m_bStop;
}

void CWindowRun::ConvertDirectory(const std::string& sourceDir, const std::string& destDir,
                                  const CTextConversion& conversion) {
    // A source that is a file is no folder to walk: nothing happens, without a word.
    if (!platform::IsDirectory(sourceDir)) return;
    m_unreadable.clear();
    m_notRecognised.clear();
    m_namesKept.clear();
    WalkFolder(sourceDir, destDir, conversion, *this,
               WalkOptions{false, std::nullopt, m_outputEncoding, m_convertNames});
    ShowList("These folders could not be read; their files were not converted:", m_unreadable);
    ShowList(
        "These files are in no encoding Zendrix knows (not GBK, Big5, UTF-8 or UTF-16) and were not "
        "converted:",
        m_notRecognised);
    ShowList("These files kept their own names, which converted would not be valid file names:", m_namesKept);
}

void CWindowRun::OnStart(const RunValues& values, const CTextConversion& conversion) {
    m_outputEncoding = values.outputEncoding;
    m_convertNames = values.convertNames;
    if (values.source.empty() || values.dest.empty()) {
        m_host.ShowMessage("File path cann't Null!");
        return;
    }
    platform::FileEntry found;
    std::string sourceFull;
    if (!platform::FindFile(values.source, found, &sourceFull)) {
        m_host.ShowMessage("This Path is not exist!");
        return;
    }

    std::string destFull;
    switch (values.mode) {
        case RunMode::Batch:
            if (!EnsureDirectory(values.dest) || !platform::FindFile(values.dest, found, &destFull)) {
                m_host.ShowMessage("Err:Cann't Create directory!");
                return;
            }
            break;
        case RunMode::SingleFile:
            if (!SingleDestination(values.dest, destFull)) {
                m_host.ShowMessage("Err:Cann't Create directory!");
                return;
            }
            break;
    }
    LowerAscii(sourceFull);
    LowerAscii(destFull);
    if (sourceFull == destFull) {
        m_host.ShowMessage("File path is same!");
        return;
    }

    switch (values.mode) {
        case RunMode::Batch:
            m_bStop = false;
            m_host.EnableStart(false);
            m_host.EnableStop(true);
            ConvertDirectory(sourceFull, destFull, conversion);
            break;
        case RunMode::SingleFile:
            if (!IsConvertible(values.source, m_host.Filter())) {
                m_host.ShowMessage("Donn't switch binary file!");
                return;
            }
            m_host.EnableStart(false);
            ConvertFile(sourceFull, destFull, conversion);
            break;
    }
    m_host.EnableStart(true);
    m_host.EnableStop(false);
}

void CWindowRun::OnStop() {
    m_host.EnableStart(true);
    m_host.EnableStop(false);
    m_bStop = true;
}
