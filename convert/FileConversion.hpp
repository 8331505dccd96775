// FileConversion.hpp: the window's file conversion: one file or a whole folder, and the Start and Stop
// handlers.
#pragma once

#include <string>
#include <vector>

#include "convert/ConvertHost.hpp"
#include "convert/FolderWalk.hpp"
#include "core/CharTables.hpp"

// The window's values that a run reads, as just taken from its controls. Paths are UTF-8.
struct RunValues {
    int mode = 0;       // 0 single file, 1 batch
    int direction = 0;  // 0 Simplified to Traditional, 1 Traditional to Simplified
    std::string source;
    std::string dest;
    bool byWords = false;  // convert by words (the phrases given to the conversion)
};

// The logic behind the main window's Start and Stop buttons, on the engine the command line uses too; what
// the window's design fixes (its questions, its messages, the flat output, the order of the walk) is decided
// here. Talks to the window only through the host; the window's own handlers forward to it.
class CFileConversion : private IWalkHost {
  public:
    // stopFlag is the window's stop flag: Stop sets it, a batch start clears it, the walk reads it after each
    // entry. Without one, the conversion keeps its own.
    CFileConversion(const CharTables& tables, IConvertHost& host, int& stopFlag)
        : m_tables(tables), m_host(host), m_bStop(stopFlag) {}
    CFileConversion(const CharTables& tables, IConvertHost& host)
        : CFileConversion(tables, host, m_ownStop) {}

    // The phrases of conversion by words, for runs that ask for it (RunValues::byWords); null when there are
    // none. They must outlive the conversion.
    void SetPhrases(const PhraseTables* phrases) { m_phrases = phrases; }

    // Converts source into dest line by line in its own encoding, each line ending in CR LF. An existing dest
    // is replaced only after a Yes, and only once the conversion is complete; a missing directory of dest is
    // created. Every failure is reported in a message box and gives false.
    bool ConvertFile(const std::string& source, const std::string& dest, int toTraditional);

    // Converts every eligible file below sourceDir, at any depth, into destDir itself (the tree is
    // flattened): C:\src\sub\b.txt goes to D:\out\b.txt. Lets the window breathe after each entry and ends at
    // a stop request. Links to folders are not followed and destDir is not entered; folders that cannot be
    // read are named in one message at the end.
    void ConvertDirectory(const std::string& sourceDir, const std::string& destDir, int toTraditional);

    // Checks and resolves the two paths, then runs a single-file or a batch conversion.
    void OnStart(const RunValues& values);
    // Asks a running batch to end after the current file.
    void OnStop();

  private:
    // IWalkHost: the window's answers to the engine.
    DestinationDecision Decide(const std::string& source, const std::string& dest) override;
    void SetProgress(int position) override { m_host.SetProgress(position); }
    std::string Filter() override { return m_host.Filter(); }
    void FileDone(const std::string& source, const std::string& dest, const FileReport& report) override;
    void FolderUnreadable(const std::string& folder) override { m_unreadable.push_back(folder); }
    bool AfterEntry() override;

    void Report(FileOutcome outcome);
    CTextConversion Conversion(int toTraditional) const;

    const CharTables& m_tables;
    const PhraseTables* m_phrases = nullptr;
    bool m_byWords = false;  // the run under way converts by words
    IConvertHost& m_host;
    int m_ownStop = 0;
    int& m_bStop;
    std::vector<std::string> m_unreadable;  // folders of the walk under way that could not be read
};
