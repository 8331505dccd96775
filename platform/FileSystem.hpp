// FileSystem.hpp: directories, attributes, the current directory and the program's own path, with GBK names.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

bool MakeDirectory(const std::string& path);  // one level, default security; false if it exists already
bool SetAttributes(const std::string& path, std::uint32_t attributes);
bool RemoveFile(const std::string& path);

std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);

// Full path of the running executable, e.g. C:\Tools\Zendrix.exe.
std::string ExecutablePath();

}  // namespace platform
