// ConvertTextBench.cpp: the fast and the literal ConvertText, and OpenCC, on the same real Chinese text.
//
// The text is the start of Debian's Simplified Chinese manual pages (make_bench_text.py), about 1 MB of GBK;
// the "to Simplified" runs take its Traditional form as made by ConvertText. Every row reports the GBK size
// of the text it converted as its bytes, so the rates compare directly; OpenCC reads the same text in UTF-8.
#include <benchmark/benchmark.h>
#include <opencc/opencc.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchText.hpp"
#include "core/ConvertText.hpp"
#include "core/TextConversion.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

using bench::Text;

struct Corpus {
    CharTables tables;
    CharTables chained;  // the shipped table plus one entry that makes a chain: the general path's cost
    Text simplified;     // to be converted to Traditional
    Text traditional;    // to be converted to Simplified
    std::string error;
};

// Appends the reverse of the first pair whose Traditional form is not listed among the Simplified ones, so
// that converting to Traditional turns that character back and forth.
CharTables MakeChained(const CharTables& tables) {
    std::string simplified = tables.Simplified();
    std::string traditional = tables.Traditional();
    for (std::size_t k = 0; k + 1 < tables.Simplified().size(); k += 2) {
        const std::string s = tables.Simplified().substr(k, 2);
        const std::string t = tables.Traditional().substr(k, 2);
        bool listed = false;
        for (std::size_t j = 0; j + 1 < tables.Simplified().size() && !listed; j += 2) {
            listed = tables.Simplified().compare(j, 2, t) == 0;
        }
        if (s == t || listed) continue;
        simplified += t;
        traditional += s;
        break;
    }
    return CharTables(simplified, traditional);
}

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        if (LoadTables(c.tables, ZENDRIX_BENCH_TABLE) != LoadResult::Loaded) {
            c.error = "cannot load " ZENDRIX_BENCH_TABLE;
            return c;
        }
        std::string gbk = bench::ReadFile(ZENDRIX_BENCH_DATA "/manpages.gbk");
        if (gbk.empty()) c.error = "no text in " ZENDRIX_BENCH_DATA "/manpages.gbk";
        std::string traditional = gbk;
        ConvertText(traditional, Direction::ToTraditional, c.tables);
        c.chained = MakeChained(c.tables);
        c.simplified = bench::MakeText(std::move(gbk));
        c.traditional = bench::MakeText(std::move(traditional));
        return c;
    }();
    return corpus;
}

const Text& Input(Direction direction) {
    return direction == Direction::ToTraditional ? TheCorpus().simplified : TheCorpus().traditional;
}

using Routine = void (*)(std::string&, Direction, const CharTables&);

void ConvertWhole(benchmark::State& state, Routine routine, Direction direction) {
    const Text& text = Input(direction);
    const std::string work = bench::TimeWhole(
        state, text.whole, [&](std::string& w) { routine(w, direction, TheCorpus().tables); });
    // The fast result must be the literal one; checked on the real text here, on everything in the tests.
    std::string fast = text.whole;
    ConvertText(fast, direction, TheCorpus().tables);
    if (routine == &ConvertTextLiteral) state.counters["same_as_fast"] = work == fast;
}

void ConvertWholeChained(benchmark::State& state) {
    bench::TimeWhole(state, Input(Direction::ToTraditional).whole, [](std::string& work) {
        ConvertText(work, Direction::ToTraditional, TheCorpus().chained);
    });
}

void ConvertLines(benchmark::State& state, Routine routine, Direction direction) {
    const Text& text = Input(direction);
    std::string work;
    for (auto _ : state) {
        for (const std::string& line : text.lines) {
            work.assign(line);
            routine(work, direction, TheCorpus().tables);
            benchmark::DoNotOptimize(work.data());
        }
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(text.whole.size() - text.lines.size()));
}

// What every per-line row also pays: copying each line into the working string, as a line reader does.
void CopyLines(benchmark::State& state) {
    const Text& text = Input(Direction::ToTraditional);
    std::string work;
    for (auto _ : state) {
        for (const std::string& line : text.lines) {
            work.assign(line);
            benchmark::DoNotOptimize(work.data());
        }
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(text.whole.size() - text.lines.size()));
}

// The same text in UTF-8 (rate per UTF-8 byte) and in UTF-16, through the Unicode form of the conversion.
void ConvertUtf8Whole(benchmark::State& state, Direction direction) {
    const Text& text = Input(direction);
    const CTextConversion conversion(TheCorpus().tables, direction);
    std::string work;
    for (auto _ : state) {
        state.PauseTiming();
        work.assign(text.utf8);
        state.ResumeTiming();
        conversion.ConvertUtf8(work);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.utf8.size()));
}

void ConvertUtf16Whole(benchmark::State& state, Direction direction) {
    const Text& text = Input(direction);
    const CTextConversion conversion(TheCorpus().tables, direction);
    std::u16string units;
    for (std::size_t i = 0; i < text.utf8.size();) {  // the text is BMP only, as all GBK text is
        const auto b = static_cast<unsigned char>(text.utf8[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        char32_t cp = n == 1 ? b : n == 2 ? b & 0x1F : b & 0x0F;
        for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(text.utf8[i + k]) & 0x3F);
        units += static_cast<char16_t>(cp);
        i += static_cast<std::size_t>(n);
    }
    std::u16string work;
    for (auto _ : state) {
        state.PauseTiming();
        work = units;
        state.ResumeTiming();
        conversion.ConvertUtf16(work, false);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(units.size() * 2));
}

class OpenCC {
  public:
    explicit OpenCC(const std::string& config) : m_converter(opencc_open(config.c_str())) {}
    ~OpenCC() {
        if (Opened()) opencc_close(m_converter);
    }
    bool Opened() const { return m_converter != reinterpret_cast<opencc_t>(-1); }
    void Convert(const std::string& utf8) {
        char* out = opencc_convert_utf8(m_converter, utf8.data(), utf8.size());
        benchmark::DoNotOptimize(out);
        opencc_convert_utf8_free(out);
    }

  private:
    opencc_t m_converter;
};

void OpenCCWhole(benchmark::State& state, const std::string& config, Direction direction) {
    OpenCC converter(config);
    if (!converter.Opened()) return state.SkipWithError(("OpenCC cannot open " + config).c_str());
    const Text& text = Input(direction);
    for (auto _ : state) converter.Convert(text.utf8);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.whole.size()));
}

void OpenCCLines(benchmark::State& state, const std::string& config, Direction direction) {
    OpenCC converter(config);
    if (!converter.Opened()) return state.SkipWithError(("OpenCC cannot open " + config).c_str());
    const Text& text = Input(direction);
    for (auto _ : state) {
        for (const std::string& line : text.utf8Lines) converter.Convert(line);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(text.whole.size() - text.lines.size()));
}

// Prints the ratios the figures are judged by after the usual table.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                std::string name = run.benchmark_name();
                name = name.substr(0, name.find("/iterations:"));
                m_seconds[name] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Summarise() const {
        std::printf("\nRatios (CPU time of the other / CPU time of fast ConvertText, same text):\n");
        for (const char* way : {"toTraditional", "toSimplified"}) {
            const std::string s2t = std::string(way) == "toTraditional" ? "s2t" : "t2s";
            Ratio("literal ConvertText, 1 MB", "literal/1MB/" + std::string(way),
                  "fast/1MB/" + std::string(way));
            Ratio("literal ConvertText, lines", "literal/lines/" + std::string(way),
                  "fast/lines/" + std::string(way));
            Ratio("OpenCC characters, 1 MB", "OpenCC/characters/1MB/" + s2t, "fast/1MB/" + std::string(way));
            Ratio("OpenCC characters, lines", "OpenCC/characters/lines/" + s2t,
                  "fast/lines/" + std::string(way));
            Ratio("OpenCC " + s2t + ".json, 1 MB", "OpenCC/" + s2t + ".json/1MB",
                  "fast/1MB/" + std::string(way));
            Ratio("OpenCC " + s2t + ".json, lines", "OpenCC/" + s2t + ".json/lines",
                  "fast/lines/" + std::string(way));
            Ratio("OpenCC characters / UTF-8", "OpenCC/characters/1MB/" + s2t,
                  "utf8/1MB/" + std::string(way));
        }
    }

  private:
    void Ratio(const std::string& label, const std::string& other, const std::string& fast) const {
        const auto o = m_seconds.find(other);
        const auto f = m_seconds.find(fast);
        if (o == m_seconds.end() || f == m_seconds.end()) return;
        std::printf("  %-30s %-14s %10.0fx\n", label.c_str(), fast.substr(fast.rfind('/') + 1).c_str(),
                    o->second / f->second);
    }

    std::map<std::string, double> m_seconds;
};

void Register() {
    const std::string data = ZENDRIX_BENCH_DATA;
    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        const bool s2tWay = direction == Direction::ToTraditional;
        const std::string way = s2tWay ? "toTraditional" : "toSimplified";
        const std::string s2t = s2tWay ? "s2t" : "t2s";
        benchmark::RegisterBenchmark(("fast/1MB/" + way).c_str(), ConvertWhole, &ConvertText, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("fast/lines/" + way).c_str(), ConvertLines, &ConvertText, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("utf8/1MB/" + way).c_str(), ConvertUtf8Whole, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("utf16/1MB/" + way).c_str(), ConvertUtf16Whole, direction)
            ->Unit(benchmark::kMicrosecond);
        // One run each: the literal routine needs seconds for this text.
        benchmark::RegisterBenchmark(("literal/1MB/" + way).c_str(), ConvertWhole, &ConvertTextLiteral,
                                     direction)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("literal/lines/" + way).c_str(), ConvertLines, &ConvertTextLiteral,
                                     direction)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        const std::string characters = data + "/opencc-" + s2t + "-characters.json";
        const std::string phrases = std::string(ZENDRIX_OPENCC_DATA) + "/" + s2t + ".json";
        benchmark::RegisterBenchmark(("OpenCC/characters/1MB/" + s2t).c_str(), OpenCCWhole, characters,
                                     direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("OpenCC/characters/lines/" + s2t).c_str(), OpenCCLines, characters,
                                     direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("OpenCC/" + s2t + ".json/1MB").c_str(), OpenCCWhole, phrases, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("OpenCC/" + s2t + ".json/lines").c_str(), OpenCCLines, phrases,
                                     direction)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("copy-only/lines", CopyLines)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("fast/1MB/direction/chained-table", ConvertWholeChained)
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const Corpus& corpus = TheCorpus();
    if (!corpus.error.empty()) {
        std::fprintf(stderr, "%s\n", corpus.error.c_str());
        return 1;
    }
    std::printf("Text: %zu bytes GBK in %zu lines (%zu bytes UTF-8); table: %zu + %zu bytes\n",
                corpus.simplified.whole.size(), corpus.simplified.lines.size(), corpus.simplified.utf8.size(),
                corpus.tables.Simplified().size(), corpus.tables.Traditional().size());
    Register();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Summarise();
    benchmark::Shutdown();
    return 0;
}
