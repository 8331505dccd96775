// ShippedTables.hpp: the table file shipped with the program, loaded from beside the test program.
#pragma once

#include <filesystem>
#include <string>

#include "core/CharTables.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

// The folder of the running test program, where the build puts Runemap.dll too.
inline std::filesystem::path ProgramFolder() {
#ifdef _WIN32
    std::wstring exe(32768, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    return std::filesystem::path(exe).parent_path();
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
#endif
}

inline CharTables ShippedTables() {
    CharTables tables;
    LoadTables(tables, (ProgramFolder() / kTableFileName).string());
    return tables;
}

}  // namespace testsupport
