// FolderWalk.cpp: the walk of a batch conversion through a folder and the folders below it.
#include "FolderWalk.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "Eligibility.hpp"
#include "core/Utf8Validity.hpp"
#include "platform/FileSystem.hpp"

namespace {

// The filter judges the name after the last backslash, as on Windows: the entry's own name after one. Where a
// backslash is an ordinary character of a name (POSIX: "photo.jpg\"), it is shown to the filter as a '/',
// which no name holds, so that the name is judged whole (no byte of a multi-byte UTF-8 character is either).
std::string EligibilityPath(std::string name) {
    if (platform::kSeparator != '\\') std::replace(name.begin(), name.end(), '\\', '/');
    return "\\" + name;
}

class CWalk {
  public:
    CWalk(const std::string& destDir, const CTextConversion& conversion, IWalkHost& host,
          const WalkOptions& options)
        : m_destDir(destDir), m_conversion(conversion), m_host(host), m_options(options) {}

    // Every entry below folder, depth first, each folder's in the order of their names (byName).
    void Walk(const std::string& folder);

  private:
    struct Level {
        std::string folder;
        std::vector<platform::FolderEntry> entries;
        std::size_t next = 0;
    };
    // Lists a folder as the level below the others; false, said, when it cannot be read.
    bool Enter(const std::string& folder, std::vector<Level>& levels);
    // An entry that is no folder to enter.
    void Entry(const std::string& path, const platform::FolderEntry& entry);
    // The name of a file's output: its own, or converted when asked and Windows takes the result.
    std::string OutputName(const std::string& path, const std::string& name);

    const std::string& m_destDir;
    const CTextConversion& m_conversion;
    IWalkHost& m_host;
    const WalkOptions& m_options;
};

bool CWalk::Enter(const std::string& folder, std::vector<Level>& levels) {
    Level level{folder, {}, 0};
    if (!platform::ListFolder(folder, level.entries)) {
        m_host.FolderUnreadable(folder);
        return false;
    }
    if (m_options.byName) {
        std::sort(
            level.entries.begin(), level.entries.end(),
            [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
    }
    levels.push_back(std::move(level));
    return true;
}

// The levels are kept in a list, not on the call stack: a tree may be thousands of folders deep.
void CWalk::Walk(const std::string& top) {
    std::vector<Level> levels;
    Enter(top, levels);
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            // The folder was an entry of the level above, which breathes after it as after any other.
            if (levels.empty() || m_host.AfterEntry()) continue;
        } else {
            const platform::FolderEntry entry = level.entries[level.next++];
            const std::string path = platform::JoinPath(level.folder, entry.name);
            if (entry.kind == platform::EntryKind::Folder && !platform::SameFile(path, m_destDir)) {
                if (Enter(path, levels)) continue;  // its entries first
            } else {
                Entry(path, entry);
            }
            if (m_host.AfterEntry()) continue;
        }
        // A stop ends every level, each breathing once more.
        while (levels.size() > 1) {
            levels.pop_back();
            m_host.AfterEntry();
        }
        return;
    }
}

void CWalk::Entry(const std::string& path, const platform::FolderEntry& entry) {
    switch (entry.kind) {
        case platform::EntryKind::Folder:
            m_host.PassedOver(path, PassReason::DestinationFolder);
            return;
        case platform::EntryKind::FolderLink:
            m_host.PassedOver(path, PassReason::FolderLink);
            return;
        case platform::EntryKind::File:
        case platform::EntryKind::Special:
            break;
    }
    if (!IsConvertible(EligibilityPath(entry.name), m_host.Filter())) {
        m_host.PassedOver(path, PassReason::Filtered);
    } else if (entry.kind == platform::EntryKind::Special) {
        m_host.PassedOver(path, PassReason::NotAFile);
    } else {
        const std::string dest = platform::JoinPath(m_destDir, OutputName(path, entry.name));
        const FileJob job{path, dest, &m_conversion, m_options.encoding, m_options.outputEncoding};
        m_host.FileDone(path, dest, ConvertOneFile(job, m_host));
    }
}

std::string CWalk::OutputName(const std::string& path, const std::string& name) {
    if (!m_options.convertNames) return name;
    const auto* begin = reinterpret_cast<const unsigned char*>(name.data());
    if (utf8::SkipValid(begin, begin + name.size()) != begin + name.size()) {
        m_host.NameKept(path, name, NameKeptReason::NotUtf8);
        return name;
    }
    std::string converted = name;
    m_conversion.ConvertUtf8(converted);
    if (converted == name) return name;
    if (!IsValidWindowsName(converted)) {
        m_host.NameKept(path, converted, NameKeptReason::NotAWindowsName);
    } else if (!platform::NameFits(converted)) {
        m_host.NameKept(path, converted, NameKeptReason::TooLong);
    } else {
        return converted;
    }
    return name;
}

}  // namespace

bool IsValidWindowsName(const std::string& name) {
    if (name.empty() || name.back() == ' ' || name.back() == '.') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
    }
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return false;
    return !(stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
             stem[3] >= '1' && stem[3] <= '9');
}

void WalkFolder(const std::string& sourceDir, const std::string& destDir, const CTextConversion& conversion,
                IWalkHost& host, const WalkOptions& options) {
    CWalk(destDir, conversion, host, options).Walk(sourceDir);
}
