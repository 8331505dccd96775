// ConvertTestSupport.hpp: what the file conversion tests share: a recording window stand-in, a small table
// and file helpers that take UTF-8 paths.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "convert/ConvertHost.hpp"
#include "convert/Eligibility.hpp"
#include "convert/WindowRun.hpp"
#include "core/CharTables.hpp"
#include "platform/CodePage.hpp"
#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"

// Records what the window would show and answers as scripted.
class CRecordingHost : public IConvertHost {
  public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    void SetProgress(int position) override { progress.push_back(position); }
    void DispatchWaitingMessages() override {
        ++dispatches;
        if (onDispatch) onDispatch(dispatches);
    }
    std::string Filter() const override { return filter; }
    void EnableStart(bool enable) override { buttons.push_back(enable ? "Start on" : "Start off"); }
    void EnableStop(bool enable) override { buttons.push_back(enable ? "Stop on" : "Stop off"); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;  // to every question
    std::vector<int> progress;
    std::vector<std::string> buttons;  // every enable call, in order
    std::string filter = kDefaultFilter;
    int dispatches = 0;
    std::function<void(int dispatches)>
        onDispatch;  // what the user does while the walk lets the window breathe
};

namespace convertsupport {

// Characters whose GBK trail byte is the byte of "\\": names the program once had to take care with.
const std::string kNorikae = "乗";
const std::string kTsuta = "蔦";
const std::string kSui = "縗";

// 汉书 <-> 漢書, 简 <-> 簡.
const std::string kSimplified = "\xba\xba\xca\xe9";
const std::string kTraditional = "\x9d\x68\x95\xf8";
inline CharTables SmallTables() { return CharTables{kSimplified + "\xbc\xf2", kTraditional + "\xba\x86"}; }

inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(platform::WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) != 0;
    ::CloseHandle(file);
    return ok && put == bytes.size();
}

// The file's bytes; "<missing>" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    HANDLE file = ::CreateFileW(platform::WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

// Names in a directory, sorted.
inline std::vector<std::string> NamesIn(const std::string& dir) {
    std::vector<platform::FolderEntry> entries;
    platform::ListFolder(dir, entries);
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// The window's run over given tables, converting by characters, in the direction a test names.
class CTablesRun {
  public:
    CTablesRun(const CharTables& tables, IConvertHost& host) : m_tables(tables), m_run(host) {}

    bool ConvertFile(const std::string& source, const std::string& dest,
                     Direction direction = Direction::ToTraditional) {
        return m_run.ConvertFile(source, dest, CTextConversion(m_tables, direction));
    }
    void ConvertDirectory(const std::string& sourceDir, const std::string& destDir,
                          Direction direction = Direction::ToTraditional) {
        m_run.ConvertDirectory(sourceDir, destDir, CTextConversion(m_tables, direction));
    }
    void OnStart(RunMode mode, const std::string& source, const std::string& dest,
                 Direction direction = Direction::ToTraditional, bool convertNames = false) {
        m_run.OnStart(RunValues{mode, source, dest, std::nullopt, convertNames},
                      CTextConversion(m_tables, direction));
    }
    void OnStop() { m_run.OnStop(); }

  private:
    const CharTables& m_tables;
    CWindowRun m_run;
};

}  // namespace convertsupport
