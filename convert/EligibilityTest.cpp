// EligibilityTest.cpp: the extension test, case by case.
#include "convert/Eligibility.hpp"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* path;
    const char* filter;
    bool convertible;
};

TEST(IsConvertibleTest, TableOfCases) {
    const char* defaults = kDefaultFilter;
    const Case cases[] = {
        {"C:\\web\\index.HTML", defaults, true},  // lowered, then found in *.html
        {"a.htm", defaults, true},                // a substring of *.html is enough
        {"a.h", defaults, true},
        {"a.t", defaults, true},  // inside *.txt
        {"C:\\src\\Makefile", "", true},
        {"C:\\src\\Makefile", defaults, true},
        {".txt", "", true},  // the dot is the first byte of the path
        {"C:\\my.site\\page.txt", defaults, true},
        {"C:\\my.site\\Makefile", "", true},  // a dot in a directory name plays no part
        {"a.min.js", defaults, false},        // judged by .min.js
        {"report.doc", "*.doc", false},       // binary types win over the filter
        {"a.oc", "*.oc", true},               // ".doc;" holds "oc;" but not ".oc;"
        {"a.jpge", "*.jpge", false},
        {"a.xyz", defaults, false},
        {"a.txt", ".txt", false},        // only occurrence at offset 0
        {"a.txt", ".txt;*.txt", false},  // the first occurrence decides
        {"a.txt", "*.TXT", false},       // the filter is not lowered
        {"a.TXT", "*.TXT", false},
        {"a.txt", "x.txt", true},
        {"a.txt", "", false},
        {"C:\\dir\\.profile", "*.profile", true},
        // GBK: the trail byte 0x5C of 乗 is no separator, and a trail byte equal to "." or a letter is no match.
        {"C:\\src\\\x81\x5c.txt", defaults, true},
        {"C:\\dir\\x.y\x81\x5c" "z", defaults, false},  // the name is x.y乗z, its extension .y乗z
        {"C:\\dir\\x.y\x81\x5c" "z", "*.y\x81\x5c" "z", true},
        {"C:\\src\\a.\xb0\xa1", "*.\xb0\xa1", true},
        {"C:\\src\\a.\xb0\xa1", "*\xb0.\xb0\xa1", false},  // ".啊" only straddles a character of the filter
        {"C:\\src\\A.\xa3\xc1", "*.\xa3\xc1", true},       // a two-byte capital (Ａ) is not lowered
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.convertible, IsConvertible(c.path, c.filter)) << c.path << " with filter " << c.filter;
    }
}

}  // namespace
