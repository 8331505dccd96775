// FileConversion.cpp: single-file conversion, the batch walk and the Start and Stop handlers.
#include "FileConversion.hpp"

#include "convert/ConvertLines.hpp"
#include "convert/Eligibility.hpp"
#include "convert/EnsureDirectory.hpp"
#include "core/Gbk.hpp"
#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"
#include "platform/TextFile.hpp"

namespace {

constexpr int kBatchMode = 1;
constexpr int kTraditionalToSimplified = 1;

// The part of path before its last backslash; the whole path when it has none.
std::string DirectoryPart(const std::string& path) {
    const std::size_t slash = gbk::ReverseFind(path, '\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

}  // namespace

bool CFileConversion::ConvertFile(const std::string& source, const std::string& dest, int toTraditional) {
    platform::FileEntry existing;
    if (platform::FindFile(dest, existing)) {
        if (!m_host.AskYesNo(dest + ": This File is existed already! Do over it?")) return false;
    } else {
        const std::size_t slash = gbk::ReverseFind(dest, '\\');
        if (slash != std::string::npos && slash >= 1 && !EnsureDirectory(dest.substr(0, slash))) {
            m_host.ShowMessage("Do not Create file path!");
            return false;
        }
    }

    // The source first: held exclusively, it cannot be the file created next under another spelling.
    platform::CTextReader reader;
    if (!reader.Open(source)) {
        m_host.ShowMessage("Open File occur Err!");
        return false;
    }
    // Windows refuses to overwrite a read-only file; Wine running as root would not, so refuse it here too.
    const bool readOnly = (existing.attributes & platform::kAttributeReadOnly) != 0;
    platform::CTextWriter writer;
    if (readOnly || !writer.Create(dest)) {
        m_host.ShowMessage("Create File occur Err!");
        reader.Close();
        return false;
    }

    const LinesOutcome outcome = ConvertLines(reader, writer, toTraditional, m_tables,
                                              [this](int position) { m_host.SetProgress(position); });
    reader.Close();
    const bool written = writer.Close() && outcome == LinesOutcome::Done;
    m_host.SetProgress(0);
    if (written) return true;

    // A half-written destination must not pass for a converted file; this call created it, so it goes.
    platform::RemoveFile(dest);
    m_host.ShowMessage(outcome == LinesOutcome::ReadFailed ? "Read File occur Err!" : "Write File occur Err!");
    return false;
}

void CFileConversion::ConvertDirectory(const std::string& sourceDir, const std::string& destDir,
                                       int toTraditional) {
    platform::CDirectoryEnumeration entries;
    if (!entries.Open(sourceDir + "\\*.*")) return;
    platform::FileEntry entry;
    while (entries.Next(entry)) {
        if (entry.IsDots()) continue;
        const std::string entryPath = sourceDir + "\\" + entry.name;
        if (entry.IsDirectory()) {
            if (!entry.IsReparsePoint()) ConvertDirectory(entryPath, destDir, toTraditional);
        } else if (IsConvertible(entryPath, m_host.Filter())) {
            std::string target = entryPath;
            gbk::ReplaceAll(target, sourceDir, destDir);
            ConvertFile(entryPath, target, toTraditional);
        }
        m_host.DispatchWaitingMessages();
        if (m_bStop) return;
    }
}

void CFileConversion::OnStart(const RunValues& values) {
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
    if (values.mode == kBatchMode) {
        if (!EnsureDirectory(values.dest) || !platform::FindFile(values.dest, found, &destFull)) {
            m_host.ShowMessage("Err:Cann't Create directory!");
            return;
        }
    } else {
        const std::size_t slash = gbk::ReverseFind(values.dest, '\\');
        std::string dir;
        if (slash == std::string::npos || slash == 0) {
            // A bare file name goes beside the executable, whatever the current directory is.
            dir = DirectoryPart(platform::ExecutablePath());
        } else {
            dir = values.dest.substr(0, slash);
            if (!EnsureDirectory(dir)) {
                m_host.ShowMessage("Err:Cann't Create directory!");
                return;
            }
        }
        destFull = dir + "\\" + values.dest.substr(slash == std::string::npos ? 0 : slash + 1);
    }

    gbk::LowerAscii(sourceFull);
    gbk::LowerAscii(destFull);
    if (sourceFull == destFull) {
        m_host.ShowMessage("File path is same!");
        return;
    }
    const int toTraditional = values.direction == kTraditionalToSimplified ? 0 : 1;

    if (values.mode == kBatchMode) {
        m_bStop = 0;
        m_host.EnableStart(false);
        m_host.EnableStop(true);
        ConvertDirectory(sourceFull, destFull, toTraditional);
    } else {
        if (!IsConvertible(values.source, m_host.Filter())) {
            m_host.ShowMessage("Donn't switch binary file!");
            return;
        }
        m_host.EnableStart(false);
        ConvertFile(sourceFull, destFull, toTraditional);
    }
    m_host.EnableStart(true);
    m_host.EnableStop(false);
}

void CFileConversion::OnStop() {
    m_host.EnableStart(true);
    m_host.EnableStop(false);
    m_bStop = 1;
}
