// FileSystem.hpp: files, folders and names, portable, with a backend per system. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool PathExists(const std::string& path);   // anything at all under that name, a dangling link included
bool IsDirectory(const std::string& path);  // links followed
// A device, pipe or socket (links followed): a name that must never be replaced by a file.
bool IsSpecialFile(const std::string& path);

// Whether both names reach the same file: volume and file index on Windows, device and inode elsewhere, so a
// second spelling, a hard link or a symbolic link of the same file counts. False when either is missing.
bool SameFile(const std::string& a, const std::string& b);
// What tells a file from every other on this system (device and inode, or volume and file index), "" when
// it is missing: names that differ only in case on Windows give the same.
std::string FileIdentity(const std::string& path);
// Whether the process's standard output is that very file (standard input with an empty path): output
// appended to its own input would grow without end.
bool StandardOutputIs(const std::string& path);

bool MakeDirectory(const std::string& path);  // one level, default security; false if it exists already
bool MakeFolders(const std::string& path);    // with its missing parents; true when it is a folder afterwards
bool SetAttributes(const std::string& path, std::uint32_t attributes);  // Windows' attribute bits
bool RemoveFile(const std::string& path);

enum class MoveResult { Moved, TargetExists, Failed };
// Renames a finished file to its final name in the same folder (its data on the disk already: the writer
// of a file made by CreateNew syncs it as it closes); replaces an existing target only when asked.
MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace);

// The output being written now, removed when the process is ended from outside before it is finished (a
// signal such as Ctrl+C or SIGTERM on POSIX; Ctrl+C, Ctrl+Break or closing the console on Windows), once
// RemoveUnfinishedOnTermination has been called. One at a time; an empty path clears it.
void SetUnfinishedOutput(const std::string& path);
void RemoveUnfinishedOnTermination();

std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);
// Full path of the running executable, e.g. C:\Tools\Zendrix.exe.
std::string ExecutablePath();
unsigned long ProcessId();

// folder + the separator + name, without doubling a separator folder ends in: JoinPath("out/", "a") is
// "out/a"; on Windows JoinPath("C:", "a") is "C:a", the drive's current folder as the user meant it.
std::string JoinPath(const std::string& folder, const std::string& name);
// Whether a file or folder may have this name as far as its length goes: 255 UTF-16 units on Windows, 255
// bytes elsewhere.
bool NameFits(const std::string& name);
// The part of path before its last separator (the separator itself for a root), "" when it has none:
// FolderOf("d:\out\a.txt") is "d:\out".
std::string FolderOf(const std::string& path);

enum class EntryKind {
    File,        // a regular file, or a link to one
    Folder,      // a real folder
    FolderLink,  // a symbolic link or junction to a folder: never followed, so a link up the tree makes no
                 // loop
    Special,     // a device, pipe or socket (opening a pipe could wait forever), or a link to nothing
};

struct FolderEntry {
    std::string name;  // as stored
    EntryKind kind = EntryKind::File;
};

// The entries of folder, without "." and "..", in the order the system gives them. False if it cannot be
// read to the end.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

}  // namespace platform
