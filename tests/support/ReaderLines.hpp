// ReaderLines.hpp: bytes split into lines as the text reader splits them.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// At every LF, the CR right before it going with the terminator; a last line without LF counts.
inline std::vector<std::string> ReaderLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t lf = bytes.find('\n', at);
        std::string line = bytes.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = lf == std::string::npos ? bytes.size() : lf + 1;
    }
    return lines;
}

// Each line as ReaderLines gives it, with the terminator that followed it: "\n", "\r\n" or "" at the end.
inline std::vector<std::pair<std::string, std::string>> TerminatedLines(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t lf = std::min(bytes.find('\n', at), bytes.size());
        const std::size_t end = lf > at && lf < bytes.size() && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        lines.emplace_back(bytes.substr(at, end - at), bytes.substr(end, lf + 1 - end));
        at = lf + 1;
    }
    return lines;
}

}  // namespace testsupport
