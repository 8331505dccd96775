// FolderWalk.hpp: every eligible file below a folder into one folder, for the window and the command line.
#pragma once

#include <string>

#include "FileEngine.hpp"

// Why the walk passed over an entry.
enum class PassReason {
    Filtered,           // a file the filter does not admit
    FolderLink,         // a link or junction to a folder: never followed, so a link up the tree makes no loop
    DestinationFolder,  // the destination folder itself, inside the source: its outputs are not inputs
    NotAFile,           // a device, pipe or socket, or a link to nothing
};

// Why a file keeps its own name under convertNames.
enum class NameKeptReason {
    NotUtf8,          // bytes of some older code page (a name on Linux): what its characters are is a guess
    NotAWindowsName,  // converted, Windows would not take it
    TooLong,          // converted, too long for a name here
};

class IWalkHost : public IFileHost {
  public:
    // The eligibility filter as it is now (in the window it may change during a walk).
    virtual std::string Filter() = 0;
    virtual void FileDone(const std::string& source, const std::string& dest, const FileReport& report) = 0;
    virtual void PassedOver(const std::string& /*path*/, PassReason /*reason*/) {}
    virtual void FolderUnreadable(const std::string& folder) = 0;
    // After every entry; false ends the walk (a stop request).
    virtual bool AfterEntry() = 0;
    // With convertNames: a file keeps its own name (converted: what it would have been; for a name that is
    // not UTF-8, the name itself).
    virtual void NameKept(const std::string& /*path*/, const std::string& /*converted*/,
                          NameKeptReason /*why*/) {}
};

struct WalkOptions {
    bool byName = false;                   // entries in the order of their names, not in the file system's
    std::optional<TextEncoding> encoding;  // every input's, when given (FileJob::encoding)
    std::optional<TextEncoding> outputEncoding;  // every output's, when given (FileJob::outputEncoding)
    bool convertNames = false;                   // each output is named by the conversion of its input's name
};

// Whether Windows takes name as the name of a file: not empty, no character < > : " / \ | ? * or control
// character, no space or dot at its end, and no device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9,
// with or without an extension).
bool IsValidWindowsName(const std::string& name);

// Converts every eligible file below sourceDir, at any depth, directly into destDir under its own name:
// C:\src\sub\b.txt goes to D:\out\b.txt. A file is eligible when IsConvertible admits its path with the
// host's filter. Ends early when AfterEntry says so.
void WalkFolder(const std::string& sourceDir, const std::string& destDir, const CTextConversion& conversion,
                IWalkHost& host, const WalkOptions& options);
