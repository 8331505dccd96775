// EnsureDirectory.hpp: making sure a directory path exists, creating the missing levels from the root down.
#pragma once

#include <string>
#include <vector>

// True when, at the end, path names an existing directory (by the file look-up, so a text ending in "\" or a
// drive root never does). Levels created before a failure stay. EnsureDirectory("C:\new1\new2") creates both.
bool EnsureDirectory(const std::string& path);

// The levels EnsureDirectory tries to create, split at the backslash characters of path: "C:\out\a" gives C:,
// C:\out, C:\out\a; "C:\out\" gives C:, C:\out and C:\out\ . The trail byte 0x5C of a character such as 乗 is
// not a backslash and splits nothing.
std::vector<std::string> DirectoryPrefixes(const std::string& path);
