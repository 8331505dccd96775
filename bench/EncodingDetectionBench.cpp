// EncodingDetectionBench.cpp: the cost of deciding a file's encoding, on the manpages-zh text of the other
// benchmarks (make_bench_text.py): in UTF-8 it is validated to its end, in GBK it settles within its first
// characters, and as ASCII only the fast path runs. Each row reports the bytes of the text it was given.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchText.hpp"
#include "core/EncodingDetection.hpp"

namespace {

const std::string& Utf8Text() {
    static const std::string text = bench::ReadFile(ZENDRIX_BENCH_DATA "/manpages.utf8");
    return text;
}

const std::string& GbkText() {
    static const std::string text = bench::ReadFile(ZENDRIX_BENCH_DATA "/manpages.gbk");
    return text;
}

const std::string& AsciiText() {
    static const std::string text = [] {
        std::string ascii;
        for (const char c : Utf8Text()) {
            if (static_cast<unsigned char>(c) < 0x80) ascii += c;
        }
        return ascii;
    }();
    return text;
}

void Whole(benchmark::State& state, const std::string& text, TextEncoding expected) {
    if (text.empty()) return state.SkipWithError("no bench text: build the bench_data target");
    for (auto _ : state) {
        const EncodingGuess guess = DetectEncoding(text.data(), text.size());
        benchmark::DoNotOptimize(guess);
        if (guess.encoding != expected) return state.SkipWithError("wrong encoding");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// As a file reader would: 64 KB at a time, stopping once the answer is settled.
void Chunked(benchmark::State& state, const std::string& text, TextEncoding expected) {
    if (text.empty()) return state.SkipWithError("no bench text: build the bench_data target");
    constexpr std::size_t kChunk = 64 * 1024;
    for (auto _ : state) {
        CEncodingDetector detector;
        for (std::size_t at = 0; at < text.size() && !detector.Settled(); at += kChunk) {
            detector.Feed(text.data() + at, std::min(kChunk, text.size() - at));
        }
        const EncodingGuess guess = detector.Finish();
        benchmark::DoNotOptimize(guess);
        if (guess.encoding != expected) return state.SkipWithError("wrong encoding");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_DetectChineseUtf8(benchmark::State& state) { Whole(state, Utf8Text(), TextEncoding::Utf8); }
void BM_DetectChineseUtf8InChunks(benchmark::State& state) { Chunked(state, Utf8Text(), TextEncoding::Utf8); }
void BM_DetectAscii(benchmark::State& state) { Whole(state, AsciiText(), TextEncoding::Gbk); }
void BM_DetectGbkInChunks(benchmark::State& state) { Chunked(state, GbkText(), TextEncoding::Gbk); }

BENCHMARK(BM_DetectChineseUtf8);
BENCHMARK(BM_DetectChineseUtf8InChunks);
BENCHMARK(BM_DetectAscii);
BENCHMARK(BM_DetectGbkInChunks);

}  // namespace

BENCHMARK_MAIN();
