// System.hpp: what zendrix-convert needs from the system beyond the text files, one backend per system.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after the program's name as GBK bytes. On Linux they are taken as they come; on Windows they
// are read from the wide command line, and one that code page 936 cannot hold is refused with a message.
bool ProgramArguments(int argc, char** argv, std::vector<std::string>& args, std::string& error);

// "Runemap.dll" in the folder of the running executable (the bare name if that folder cannot be found).
std::string DefaultTablePath();

bool PathExists(const std::string& path);   // anything at all under that name, a dangling link included
bool IsDirectory(const std::string& path);  // links followed

// Whether both names reach the same file: device and inode, or volume serial and file index on Windows, so a
// second spelling, a hard link or a symbolic link of the same file counts. False when either is missing.
bool SameFile(const std::string& a, const std::string& b);

bool CreateNewFile(const std::string& path);  // creates an empty file; fails if the name is taken
bool RemoveFile(const std::string& path);

enum class MoveResult { Moved, TargetExists, Failed };

// Renames a finished file to its final name, in the same folder; replaces an existing target only if asked.
MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace);

unsigned long ProcessId();

// --- Folders, for --batch

enum class EntryKind {
    File,        // a regular file, or a link to one
    Folder,      // a real folder
    FolderLink,  // a symbolic link or junction to a folder: never followed, so a link up the tree makes no
                 // loop
    Special,     // a device, pipe or socket (opening a pipe would wait forever), or a link to nothing
};

struct FolderEntry {
    std::string name;  // as stored, GBK
    EntryKind kind = EntryKind::File;
    // False for a name that GBK cannot hold (Windows): name then has '?' in its place and reaches another
    // file.
    bool exactName = true;
};

// The entries of folder, without "." and "..", in the order the system gives them. False if it cannot be
// read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Creates folder and its missing parent levels. True when it is a folder afterwards (also if it was already).
bool MakeFolders(const std::string& folder);

// folder + the system's separator + name, without doubling a separator folder ends in: JoinPath("out/", "a")
// is "out/a"; on Windows JoinPath("C:", "a") is "C:a", the drive's current folder as the user meant it.
std::string JoinPath(const std::string& folder, const std::string& name);

bool ErrorIsTerminal();  // stderr is a terminal or console, not a file or pipe

void WriteOutput(const std::string& text);  // stdout
void WriteError(const std::string& text);   // stderr; GBK text shown correctly on a Windows console

}  // namespace cli
