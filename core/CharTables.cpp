// CharTables.cpp: the character tables, their index and their loading.
#include "CharTables.hpp"

#include <new>

#include "ConversionIndex.hpp"
#include "platform/TextFile.hpp"

const char kTableBanner[] = "Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional";
const char kTableFileName[] = "Runemap.dll";

namespace {

std::shared_ptr<const ConversionIndex> IndexOf(const std::string& simplified,
                                               const std::string& traditional) {
    auto index = std::make_shared<ConversionIndex>();
    index->toTraditional = BuildDirectionIndex(simplified, traditional);
    index->toSimplified = BuildDirectionIndex(traditional, simplified);
    return index;
}

}  // namespace

CharTables::CharTables() : CharTables(std::string(), std::string()) {}

CharTables::CharTables(std::string simplified, std::string traditional)
    : m_simplified(std::move(simplified)),
      m_traditional(std::move(traditional)),
      m_index(IndexOf(m_simplified, m_traditional)) {}

const std::string& CharTables::Search(Direction direction) const {
    return Of(direction, m_simplified, m_traditional);
}

const std::string& CharTables::Result(Direction direction) const {
    return Of(direction, m_traditional, m_simplified);
}

const DirectionIndex& CharTables::Index(Direction direction) const { return m_index->Of(direction); }

namespace {

LoadResult LoadTablesFrom(CharTables& tables, const std::string& path) {
    platform::CTextReader file;
    if (!file.Open(path)) return LoadResult::NotOpenable;

    std::string simplified;
    std::string banner;
    file.ReadLine(simplified);
    file.ReadLine(banner);
    // A file that opens but cannot be read is as unusable as one that does not open; a table cut short by a
    // read error must not pass for the whole table.
    if (file.Failed()) return LoadResult::NotOpenable;
    if (banner != kTableBanner) return LoadResult::BannerMismatch;
    std::string traditional;
    file.ReadLine(traditional);
    std::string discarded;
    file.ReadLine(discarded);
    if (file.Failed()) return LoadResult::NotOpenable;
    tables = CharTables(std::move(simplified), std::move(traditional));
    return LoadResult::Loaded;
}

}  // namespace

LoadResult LoadTables(CharTables& tables, const std::string& path) {
    // A table too large for memory is as unusable as one that cannot be read: a failure, never an abort.
    try {
        return LoadTablesFrom(tables, path);
    } catch (const std::bad_alloc&) {
        tables = CharTables();
        return LoadResult::NotOpenable;
    }
}
