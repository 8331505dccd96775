// BenchText.hpp: the benchmarks' text in GBK and UTF-8, whole and as lines, and the timing of a whole text.
#pragma once

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

struct Text {
    std::string whole;
    std::vector<std::string> lines;
    std::string utf8;
    std::vector<std::string> utf8Lines;
};

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The whole of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool GbkToUtf8(const std::string& gbk, std::string& utf8) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    utf8.assign(gbk.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    char* out = &utf8[0];
    std::size_t outLeft = utf8.size();
    const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    utf8.resize(utf8.size() - outLeft);
    return ok;
}

inline Text MakeText(std::string whole) {
    Text text;
    text.whole = std::move(whole);
    text.lines = SplitLines(text.whole);
    GbkToUtf8(text.whole, text.utf8);
    text.utf8Lines = SplitLines(text.utf8);
    return text;
}

// Times convert(work) on a fresh copy of the text in every iteration, the copy outside the timing; returns
// the last result.
template <class Convert>
std::string TimeWhole(benchmark::State& state, const std::string& text, Convert&& convert) {
    std::string work;
    for (auto _ : state) {
        state.PauseTiming();
        work.assign(text);
        state.ResumeTiming();
        convert(work);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    return work;
}

}  // namespace bench
