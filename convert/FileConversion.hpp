// FileConversion.hpp: converting one file or a whole folder, and the Start and Stop handlers around them.
#pragma once

#include <string>

#include "convert/ConvertHost.hpp"
#include "core/CharTables.hpp"

// The window's values that a run reads, as just taken from its controls.
struct RunValues {
    int mode = 0;       // 0 single file, 1 batch
    int direction = 0;  // 0 Simplified to Traditional, 1 Traditional to Simplified
    std::string source;
    std::string dest;
};

// The logic behind the main window's Start and Stop buttons. Talks to the window only through the host; the
// window's own handlers forward to it.
class CFileConversion {
public:
    // stopFlag is the window's stop flag: Stop sets it, a batch start clears it, the walk reads it after each
    // entry. Without one, the conversion keeps its own.
    CFileConversion(const CharTables& tables, IConvertHost& host, int& stopFlag)
        : m_tables(tables), m_host(host), m_bStop(stopFlag) {}
    CFileConversion(const CharTables& tables, IConvertHost& host) : CFileConversion(tables, host, m_ownStop) {}

    // Converts source into dest line by line, each line ending in CR LF. An existing dest is overwritten only
    // after a Yes; a missing directory of dest is created. Every failure is reported in a message box and gives
    // false; a destination left unfinished by a read or write failure is deleted.
    bool ConvertFile(const std::string& source, const std::string& dest, int toTraditional);

    // Converts every eligible file below sourceDir, at any depth, into destDir itself (the tree is flattened):
    // C:\src\sub\b.txt goes to D:\out\b.txt. Lets the window breathe after each entry and ends at a stop request.
    // Directory links and junctions are not followed, so a link back up the tree cannot make the walk endless.
    void ConvertDirectory(const std::string& sourceDir, const std::string& destDir, int toTraditional);

    // Checks and resolves the two paths, then runs a single-file or a batch conversion.
    void OnStart(const RunValues& values);
    // Asks a running batch to end after the current file.
    void OnStop();

private:
    const CharTables& m_tables;
    IConvertHost& m_host;
    int m_ownStop = 0;
    int& m_bStop;
};
