// PathPrefixes.hpp: the levels of a path, split at its backslash characters. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The levels EnsureDirectory tries to create, split at the backslash characters of path, as their byte
// lengths: "C:\out\a" gives 2, 6, 8 (C:, C:\out, C:\out\a); "C:\out\" gives C:, C:\out and C:\out\ . The
// path is UTF-8. A path of n backslashes has n + 1 levels, so holding them all as text would take n * n / 2
// bytes; lengths let the caller make one level at a time.
std::vector<std::size_t> DirectoryPrefixLengths(const std::string& path);
