// EnsureDirectory.hpp: making sure a directory path exists, creating the missing levels from the root down.
#pragma once

#include <string>

#include "convert/PathPrefixes.hpp"

// True when, at the end, path names an existing directory (by the file look-up, so a text ending in "\" or a
// drive root never does). Levels created before a failure stay. EnsureDirectory("C:\new1\new2") creates both.
bool EnsureDirectory(const std::string& path);
