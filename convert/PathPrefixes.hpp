// PathPrefixes.hpp: the levels of a path, split at its backslash characters. Portable.
#pragma once

#include <string>
#include <vector>

// The levels EnsureDirectory tries to create, split at the backslash characters of path: "C:\out\a" gives C:,
// C:\out, C:\out\a; "C:\out\" gives C:, C:\out and C:\out\ . The trail byte 0x5C of a character such as 乗 is
// not a backslash and splits nothing.
std::vector<std::string> DirectoryPrefixes(const std::string& path);
