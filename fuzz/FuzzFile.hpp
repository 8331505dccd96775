// FuzzFile.hpp: the temporary file a loader's fuzzer writes each input into, named for the process so that
// fuzzers running side by side keep apart.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace fuzzsupport {

// /tmp/zendrix-<what>-fuzz-<pid><extension>.
inline std::string FuzzFilePath(const char* what, const char* extension) {
    return std::string("/tmp/zendrix-") + what + "-fuzz-" + std::to_string(::getpid()) + extension;
}

// Writes bytes as the whole file; false when it cannot be made.
inline bool WriteFuzzFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace fuzzsupport
