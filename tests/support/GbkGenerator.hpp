// GbkGenerator.hpp: random GBK texts and tables for the differential tests, and a readable form of bytes.
#pragma once

#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "core/CharTables.hpp"

namespace testsupport {

// Few distinct bytes, so that tables and texts share characters often: two lead bytes, a lead byte that also
// serves as a trail byte, and letters that are trail bytes of the two-byte characters as well.
const std::string kBytes = "\x81\xb0lq\xa1";
// Whole characters of both widths, so that most replacements swap characters and chains form.
const std::string kChars[] = {"\xb0\xa1", "\xb0\xa2", "\xb0\xa3", "\xb0l", "\x81\xb0", "l", "q"};

class Generator {
  public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::size_t Below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }

    std::string RandomBytes(std::size_t maxLength) {
        std::string bytes(Below(maxLength + 1), '\0');
        for (char& b : bytes) b = kBytes[Below(kBytes.size())];
        return bytes;
    }

    // Mostly whole characters; now and then a stray byte that shifts what follows.
    std::string RandomChars(std::size_t maxCount) {
        std::string text;
        for (std::size_t count = Below(maxCount + 1); count > 0; --count) {
            text += Below(12) == 0 ? std::string(1, kBytes[Below(kBytes.size())])
                                   : kChars[Below(std::size(kChars))];
        }
        return text;
    }

    // Whole lines as a reader hands them out: lone lead bytes and lone CRs before the line ends, LF and CR
    // LF, the last line with or without a line end.
    std::string RandomRun() {
        std::string run;
        for (std::size_t count = Below(6); count > 0; --count) {
            run += RandomChars(8);
            if (Below(4) == 0) run += Below(2) ? "\x81" : "\xb0";
            if (Below(8) == 0) run += '\r';
            run += Below(2) ? "\n" : "\r\n";
        }
        if (Below(2)) run += RandomChars(8) + (Below(3) == 0 ? "\x81" : "");
        return run;
    }

    // A character table and a counterpart table built from it by taking each character's successor among
    // kChars: long chains, repeated entries, and now and then a character of the other width.
    CharTables ChainTables(std::size_t maxCount) {
        std::string simplified;
        std::string traditional;
        for (std::size_t count = Below(maxCount + 1); count > 0; --count) {
            const std::size_t k = Below(std::size(kChars));
            simplified += kChars[k];
            traditional += kChars[(k + 1 + (Below(6) == 0 ? Below(3) : 0)) % std::size(kChars)];
        }
        return CharTables(simplified, traditional);
    }

  private:
    std::mt19937 m_random;
};

inline std::string Hex(const std::string& bytes) {
    std::ostringstream out;
    out << '"';
    for (const unsigned char b : bytes) out << "\\x" << std::hex << (b >> 4) << (b & 15);
    out << '"';
    return out.str();
}

}  // namespace testsupport
