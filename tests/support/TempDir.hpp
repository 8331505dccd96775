// TempDir.hpp: a fresh folder per test, removed afterwards, and small file helpers.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace testsupport {

class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            m_path = base / ("zendrix-test-" + std::to_string(Pid()) + "-" + std::to_string(counter++));
            std::error_code ec;
            if (std::filesystem::create_directory(m_path, ec)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // An ASCII path as the program's own string type (temporary folders have ASCII names).
    std::string File(const std::string& name) const { return (m_path / name).string(); }

  private:
    static long Pid();
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testsupport

#ifdef _WIN32
#include <windows.h>
inline long testsupport::TempDir::Pid() { return static_cast<long>(::GetCurrentProcessId()); }
#else
#include <unistd.h>
inline long testsupport::TempDir::Pid() { return static_cast<long>(::getpid()); }
#endif
