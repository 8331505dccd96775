// ConvertWordsBench.cpp: conversion by words against the character table alone and OpenCC, on the same real
// Chinese text; loading the phrase file, and the memory its index takes.
//
// The text is the one of ConvertTextBench (make_bench_text.py: the start of Debian's manpages-zh, about 1 MB
// of GBK); "to Simplified" converts its Traditional form made by ConvertWords. Rates count GBK bytes.
#include <benchmark/benchmark.h>
#include <opencc/opencc.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchText.hpp"
#include "core/ConversionChain.hpp"
#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
#include "core/PhraseIndex.hpp"
#include "core/TextConversion.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

using bench::Text;

struct Corpus {
    CharTables tables;
    PhraseTables phrases;
    Text simplified;
    Text traditional;
    std::string error;
};

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        if (LoadTables(c.tables, ZENDRIX_BENCH_TABLE) != LoadResult::Loaded) {
            c.error = "cannot load " ZENDRIX_BENCH_TABLE;
        } else if (LoadPhrases(c.phrases, ZENDRIX_BENCH_PHRASES) != PhraseLoadResult::Loaded) {
            c.error = "cannot load " ZENDRIX_BENCH_PHRASES;
        }
        std::string gbk = bench::ReadFile(ZENDRIX_BENCH_DATA "/manpages.gbk");
        if (gbk.empty()) c.error = "no text in " ZENDRIX_BENCH_DATA "/manpages.gbk";
        std::string traditional = gbk;
        ConvertWords(traditional, Direction::ToTraditional, c.tables, c.phrases);
        c.simplified = bench::MakeText(std::move(gbk));
        c.traditional = bench::MakeText(std::move(traditional));
        return c;
    }();
    return corpus;
}

const Text& Input(Direction direction) {
    return direction == Direction::ToTraditional ? TheCorpus().simplified : TheCorpus().traditional;
}

void WordsWhole(benchmark::State& state, Direction direction) {
    const Text& text = Input(direction);
    bench::TimeWhole(state, text.whole, [&](std::string& work) {
        ConvertWords(work, direction, TheCorpus().tables, TheCorpus().phrases);
    });
    // The literal routine compares every phrase at every position: checked on a slice of the real text here,
    // on everything in the tests.
    std::string slice = text.whole.substr(0, text.whole.find('\n', 16384) + 1);
    std::string literal = slice;
    ConvertWordsLiteral(literal, direction, TheCorpus().tables, TheCorpus().phrases);
    ConvertWords(slice, direction, TheCorpus().tables, TheCorpus().phrases);
    state.counters["same_as_literal_16KB"] = slice == literal;
}

// What the file loop does: the whole text as one run of lines into an output buffer.
void WordsRun(benchmark::State& state, Direction direction) {
    const Text& text = Input(direction);
    std::string out;
    bool taken = true;
    for (auto _ : state) {
        taken &= ConvertWordsLineRun(text.whole.data(), text.whole.size(), direction, TheCorpus().tables,
                                     TheCorpus().phrases, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.whole.size()));
    if (!taken) state.SkipWithError("the shipped tables must convert runs of lines");
}

void WordsLines(benchmark::State& state, Direction direction) {
    const Text& text = Input(direction);
    std::string work;
    for (auto _ : state) {
        for (const std::string& line : text.lines) {
            work.assign(line);
            ConvertWords(work, direction, TheCorpus().tables, TheCorpus().phrases);
            benchmark::DoNotOptimize(work.data());
        }
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(text.whole.size() - text.lines.size()));
}

void CharactersWhole(benchmark::State& state, Direction direction) {
    bench::TimeWhole(state, Input(direction).whole,
                     [&](std::string& work) { ConvertText(work, direction, TheCorpus().tables); });
}

void OpenCCWhole(benchmark::State& state, const std::string& config, Direction direction) {
    opencc_t converter = opencc_open(config.c_str());
    if (converter == reinterpret_cast<opencc_t>(-1))
        return state.SkipWithError("OpenCC cannot open its config");
    const Text& text = Input(direction);
    for (auto _ : state) {
        char* out = opencc_convert_utf8(converter, text.utf8.data(), text.utf8.size());
        benchmark::DoNotOptimize(out);
        opencc_convert_utf8_free(out);
    }
    opencc_close(converter);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.whole.size()));
}

// A named conversion on the whole text: the passes the program runs, and the chain's rule step by step (the
// literal procedure), which must give the same bytes.
// The named chain on the shipped data; false, with the benchmark skipped, when it cannot be built.
bool BuildChain(benchmark::State& state, const char* name, CConversionChain& chain) {
    std::string error;
    if (CConversionChain::Build(name, TheCorpus().phrases, TheCorpus().tables, chain, error)) return true;
    state.SkipWithError(error.c_str());
    return false;
}

void Chain(benchmark::State& state, const char* name, bool byRule) {
    CConversionChain chain;
    if (!BuildChain(state, name, chain)) return;
    const Text& text = Input(chain.GetDirection());
    const std::string result = bench::TimeWhole(state, text.whole, [&](std::string& work) {
        byRule ? chain.ConvertByRule(work) : chain.Convert(work);
    });
    std::string other = text.whole;
    byRule ? chain.Convert(other) : chain.ConvertByRule(other);
    state.counters["same_as_other_way"] = result == other;
}

// The same chain on the text in UTF-8, as a UTF-8 file converts: to GBK and back around the passes.
void ChainUtf8(benchmark::State& state, const char* name) {
    CConversionChain chain;
    if (!BuildChain(state, name, chain)) return;
    const CTextConversion conversion(TheCorpus().tables, chain);
    const Text& text = Input(chain.GetDirection());
    const std::string result =
        bench::TimeWhole(state, text.utf8, [&](std::string& work) { conversion.ConvertUtf8(work); });
    std::string gbk = text.whole;
    chain.Convert(gbk);
    std::string utf8;
    state.counters["same_as_gbk"] = bench::GbkToUtf8(gbk, utf8) && result == utf8;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Loading the shipped phrase file, index and all: what the window adds to its start-up.
void LoadPhraseFile(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        PhraseTables phrases;
        if (LoadPhrases(phrases, ZENDRIX_BENCH_PHRASES) != PhraseLoadResult::Loaded) {
            return state.SkipWithError("cannot load " ZENDRIX_BENCH_PHRASES);
        }
        bytes = phrases.Index(Direction::ToTraditional).MemoryBytes() +
                phrases.Index(Direction::ToSimplified).MemoryBytes();
        benchmark::DoNotOptimize(&phrases);
    }
    state.counters["index_MB"] = static_cast<double>(bytes) / (1 << 20);
}

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_seconds[run.benchmark_name()] =
                    run.cpu_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Summarise() const {
        std::printf("\nRates (MB/s of GBK text, CPU time) and ratios:\n");
        for (const char* way : {"toTraditional", "toSimplified"}) {
            const std::string w = way;
            const Text& input =
                Input(w == "toTraditional" ? Direction::ToTraditional : Direction::ToSimplified);
            const std::size_t bytes = input.whole.size();
            const std::string config = w == "toTraditional" ? "s2t" : "t2s";
            Rate("words, whole text", "words/1MB/" + w, bytes);
            Rate("words, run of lines", "words/run/" + w, bytes);
            Rate("words, line by line", "words/lines/" + w, bytes);
            Rate("characters only (ConvertText)", "characters/1MB/" + w, bytes);
            Rate("OpenCC " + config + ".json", "OpenCC/" + config + ".json/1MB", bytes);
            const auto words = m_seconds.find("words/1MB/" + w);
            const auto opencc = m_seconds.find("OpenCC/" + config + ".json/1MB");
            for (const char* name : {"s2t", "s2twp", "tw2sp"}) {
                if (w != (std::string(name) == "tw2sp" ? "toSimplified" : "toTraditional")) continue;
                Rate(std::string(name) + ", passes", std::string("chain/passes/") + name, bytes);
                Rate(std::string(name) + ", passes, in UTF-8", std::string("chain/utf8/") + name,
                     input.utf8.size(), "of UTF-8");
                Rate(std::string(name) + ", the rule step by step", std::string("chain/rule/") + name, bytes);
            }
            if (words != m_seconds.end() && opencc != m_seconds.end()) {
                std::printf("  %-34s %8.0fx\n", ("OpenCC / words, " + w).c_str(),
                            opencc->second / words->second);
            }
        }
    }

  private:
    void Rate(const std::string& label, const std::string& name, std::size_t bytes,
              const char* of = "") const {
        const auto found = m_seconds.find(name);
        if (found == m_seconds.end()) return;
        std::printf("  %-34s %-24s %9.1f MB/s %s\n", label.c_str(), name.c_str(), bytes / 1e6 / found->second,
                    of);
    }

    std::map<std::string, double> m_seconds;
};

void Register() {
    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        const bool s2tWay = direction == Direction::ToTraditional;
        const std::string way = s2tWay ? "toTraditional" : "toSimplified";
        const std::string config = std::string(ZENDRIX_OPENCC_DATA) + (s2tWay ? "/s2t.json" : "/t2s.json");
        benchmark::RegisterBenchmark(("words/1MB/" + way).c_str(), WordsWhole, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("words/run/" + way).c_str(), WordsRun, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("words/lines/" + way).c_str(), WordsLines, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("characters/1MB/" + way).c_str(), CharactersWhole, direction)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("OpenCC/" + std::string(s2tWay ? "s2t" : "t2s") + ".json/1MB").c_str(),
                                     OpenCCWhole, config, direction)
            ->Unit(benchmark::kMillisecond);
    }
    for (const char* name : {"s2t", "s2twp", "tw2sp"}) {
        benchmark::RegisterBenchmark(("chain/passes/" + std::string(name)).c_str(), Chain, name, false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("chain/rule/" + std::string(name)).c_str(), Chain, name, true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("chain/utf8/" + std::string(name)).c_str(), ChainUtf8, name)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("load/Runewords.txt", LoadPhraseFile)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // Memory first, in a process that has loaded nothing else yet: the peak resident size grows by what the
    // lists, their index and the transient build of the index take.
    const long start = PeakKilobytes();
    std::size_t index = 0;
    {
        PhraseTables phrases;
        if (LoadPhrases(phrases, ZENDRIX_BENCH_PHRASES) != PhraseLoadResult::Loaded) {
            std::fprintf(stderr, "cannot load " ZENDRIX_BENCH_PHRASES "\n");
            return 1;
        }
        index = phrases.Index(Direction::ToTraditional).MemoryBytes() +
                phrases.Index(Direction::ToSimplified).MemoryBytes();
    }
    const long loaded = PeakKilobytes();
    const Corpus& corpus = TheCorpus();
    if (!corpus.error.empty()) {
        std::fprintf(stderr, "%s\n", corpus.error.c_str());
        return 1;
    }
    std::printf(
        "Phrase file: %zu S->T and %zu T->S phrases; loading it raised the peak resident size from %.1f to "
        "%.1f MB (+%.1f MB); the index counts %.2f MB\n",
        corpus.phrases.Phrases(Direction::ToTraditional).size(),
        corpus.phrases.Phrases(Direction::ToSimplified).size(), start / 1024.0, loaded / 1024.0,
        (loaded - start) / 1024.0, index / 1048576.0);
    std::printf("Text: %zu bytes GBK in %zu lines\n", corpus.simplified.whole.size(),
                corpus.simplified.lines.size());
    Register();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Summarise();
    benchmark::Shutdown();
    return 0;
}
