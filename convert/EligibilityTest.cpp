// EligibilityTest.cpp: the extension test, case by case.
#include <gtest/gtest.h>

#include "convert/Eligibility.hpp"

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
        // Names in any script: "乗" was a trap in GBK (its second byte is a backslash) and must stay
        // harmless.
        {"C:\\src\\乗.txt", defaults, true},
        {"C:\\dir\\x.y乗z", defaults, false},  // the name is x.y乗z, its extension .y乗z
        {"C:\\dir\\x.y乗z", "*.y乗z", true},
        {"C:\\src\\a.啊", "*.啊", true},
        {"C:\\src\\A.Ａ", "*.Ａ", true},  // a full-width capital is not lowered
        {"C:\\src\\A.Ａ", "*.ａ", false},
        {"C:\\src\\笔记😀.TXT", defaults, true},  // outside GBK
        {"C:\\src\\笔.记😀", "*.记😀", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.convertible, IsConvertible(c.path, c.filter)) << c.path << " with filter " << c.filter;
    }
}

}  // namespace
