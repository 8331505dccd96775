// CharTables.cpp: loading the character tables.
#include "CharTables.hpp"

#include <new>

#include "ConversionIndex.hpp"
#include "platform/TextFile.hpp"

const char kTableBanner[] = "Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional";
const char kTableFileName[] = "Runemap.dll";

namespace {

LoadResult LoadTablesFrom(CharTables& tables, const std::string& path) {
    platform::CTextReader file;
    if (!file.Open(path)) return LoadResult::NotOpenable;

    std::string banner;
    tables.simplified.clear();
    tables.index.reset();
    file.ReadLine(tables.simplified);
    file.ReadLine(banner);
    // A file that opens but cannot be read is as unusable as one that does not open; a table cut short by a
    // read error must not pass for the whole table.
    if (file.Failed()) return LoadResult::NotOpenable;
    if (banner != kTableBanner) return LoadResult::BannerMismatch;
    tables.traditional.clear();
    file.ReadLine(tables.traditional);
    std::string discarded;
    file.ReadLine(discarded);
    if (file.Failed()) return LoadResult::NotOpenable;
    BuildIndex(tables);
    return LoadResult::Loaded;
}

}  // namespace

LoadResult LoadTables(CharTables& tables, const std::string& path) {
    // A table too large for memory is as unusable as one that cannot be read: a failure, never an abort.
    try {
        return LoadTablesFrom(tables, path);
    } catch (const std::bad_alloc&) {
        tables = CharTables{};
        return LoadResult::NotOpenable;
    }
}

void BuildIndex(CharTables& tables) {
    auto index = std::make_shared<ConversionIndex>();
    index->toTraditional = BuildDirectionIndex(tables.simplified, tables.traditional);
    index->toSimplified = BuildDirectionIndex(tables.traditional, tables.simplified);
    index->simplifiedSize = tables.simplified.size();
    index->traditionalSize = tables.traditional.size();
    tables.index = std::move(index);
}

const ConversionIndex* IndexOf(const CharTables& tables) {
    const ConversionIndex* index = tables.index.get();
    if (index != nullptr && index->simplifiedSize == tables.simplified.size() &&
        index->traditionalSize == tables.traditional.size()) {
        return index;
    }
    return nullptr;
}

const CharTables& IndexedTables(const CharTables& tables, CharTables& spare) {
    if (IndexOf(tables) != nullptr) return tables;
    spare = CharTables{tables.simplified, tables.traditional};
    BuildIndex(spare);
    return spare;
}
