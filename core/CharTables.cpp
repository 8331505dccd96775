// CharTables.cpp: loading the character tables.
#include "CharTables.hpp"

#include "platform/TextFile.hpp"

const char kTableBanner[] = "Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional";
const char kTableFileName[] = "Runemap.dll";

LoadResult LoadTables(CharTables& tables, const std::string& path) {
    platform::CTextReader file;
    if (!file.Open(path)) return LoadResult::NotOpenable;

    std::string banner;
    tables.simplified.clear();
    file.ReadLine(tables.simplified);
    file.ReadLine(banner);
    if (banner != kTableBanner) return LoadResult::BannerMismatch;
    tables.traditional.clear();
    file.ReadLine(tables.traditional);
    std::string discarded;
    file.ReadLine(discarded);
    return LoadResult::Loaded;
}
