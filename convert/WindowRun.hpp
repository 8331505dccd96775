// WindowRun.hpp: the window's file conversion: one file or a whole folder, its questions and messages, and
// the Start and Stop handlers.
#pragma once

#include <string>
#include <vector>

#include "convert/ConvertHost.hpp"
#include "convert/FolderWalk.hpp"
#include "core/TextConversion.hpp"

enum class RunMode { SingleFile, Batch };

// The window's values that a run reads, as just taken from its controls. Paths are UTF-8.
struct RunValues {
    RunMode mode = RunMode::SingleFile;
    std::string source;
    std::string dest;
    std::optional<TextEncoding> outputEncoding;  // "输出编码": none, each file's own (与原文相同)
    bool convertNames = false;                   // "转换文件名": a batch names its outputs converted
};

// The logic behind the main window's Start and Stop buttons, on the engine the command line uses too: the
// window's own rules (its questions, its messages, the flat output, the order of the walk) are decided here.
// Talks to the window only through the host; the window's own handlers forward to it.
class CWindowRun : private IWalkHost {
  public:
    // stopFlag is the window's stop flag: Stop sets it, a batch start clears it, the walk reads it after each
    // entry. Without one, the run keeps its own.
    CWindowRun(IConvertHost& host, bool& stopFlag) : m_host(host), m_bStop(stopFlag) {}
    explicit CWindowRun(IConvertHost& host) : CWindowRun(host, m_ownStop) {}

    // Converts source into dest line by line in its own encoding, each line ending in CR LF. An existing dest
    // is replaced only after a Yes, and only once the conversion is complete; a missing directory of dest is
    // created. Every failure is reported in a message box and gives false.
    bool ConvertFile(const std::string& source, const std::string& dest, const CTextConversion& conversion);

    // Converts every eligible file below sourceDir, at any depth, into destDir itself (the tree is
    // flattened): C:\src\sub\b.txt goes to D:\out\b.txt. Lets the window breathe after each entry and ends at
    // a stop request. Links to folders are not followed and destDir is not entered; folders that cannot be
    // read are named in one message at the end.
    void ConvertDirectory(const std::string& sourceDir, const std::string& destDir,
                          const CTextConversion& conversion);

    // Checks and resolves the two paths, then runs a single-file or a batch conversion.
    void OnStart(const RunValues& values, const CTextConversion& conversion);
    // Asks a running batch to end after the current file.
    void OnStop();

  private:
    // IWalkHost: the window's answers to the engine.
    DestinationDecision Decide(const std::string& source, const std::string& dest) override;
    void SetProgress(int position) override { m_host.SetProgress(position); }
    std::string Filter() override { return m_host.Filter(); }
    void FileDone(const std::string& source, const std::string& dest, const FileReport& report) override;
    void FolderUnreadable(const std::string& folder) override { m_unreadable.push_back(folder); }
    void NameKept(const std::string& path, const std::string&, NameKeptReason) override {
        m_namesKept.push_back(path);
    }
    // Reports what became of one file: the fixed messages of the window, and for the outcomes it did not
    // always have, messages that name the file; in a batch, files in no known encoding wait for the list at
    // its end.
    void Report(const std::string& source, const FileReport& report, bool batch);
    void ShowList(const char* heading, const std::vector<std::string>& names);
    bool AfterEntry() override;

    IConvertHost& m_host;
    bool m_ownStop = false;
    bool& m_bStop;
    std::vector<std::string> m_unreadable;     // folders of the walk under way that could not be read
    std::vector<std::string> m_notRecognised;  // files of the walk under way in no encoding the program knows
    std::vector<std::string> m_namesKept;      // files of the walk whose converted name Windows would refuse
    std::optional<TextEncoding> m_outputEncoding;  // of the run under way
    bool m_convertNames = false;
};
