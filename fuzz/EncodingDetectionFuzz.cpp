// EncodingDetectionFuzz.cpp: any bytes fed in any chunks give the answer of the whole-text call (encoding,
// mark and whether it is recognised at all); an answer once settled is the answer for the text so far and for
// the whole text; SkipValid stops where DecodeOne stops.
//
// Input: one byte that seeds the chunk sizes (1 to 16 bytes each), then the text.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/EncodingDetection.hpp"
#include "core/Utf8.hpp"
#include "core/Utf8Validity.hpp"

namespace {

bool Same(const EncodingGuess& a, const EncodingGuess& b) {
    return a.encoding == b.encoding && a.bomSize == b.bomSize && a.recognised == b.recognised;
}

void Fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s, text \"", what);
    for (const unsigned char b : text) std::fprintf(stderr, "\\x%02x", b);
    std::fprintf(stderr, "\"\n");
    std::abort();
}

std::size_t ReferenceValidLength(const unsigned char* p, std::size_t n) {
    std::size_t at = 0;
    while (at < n) {
        char32_t cp;
        const int length = utf8::DecodeOne(p + at, n - at, cp);
        if (length <= 0) break;
        at += static_cast<std::size_t>(length);
    }
    return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::uint32_t seed = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const EncodingGuess whole = DetectEncoding(text.data(), text.size());

    CEncodingDetector detector;
    std::size_t settledAt = std::string::npos;
    for (std::size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t chunk = std::min<std::size_t>(1 + (seed >> 16) % 16, text.size() - at);
        detector.Feed(text.data() + at, chunk);
        at += chunk;
        if (settledAt == std::string::npos && detector.Settled()) settledAt = at;
    }
    const EncodingGuess chunked = detector.Finish();
    if (!Same(whole, chunked)) Fail("chunked answer differs from the whole-text answer", text);
    if (!whole.recognised && whole.encoding != TextEncoding::Gbk) Fail("not recognised, but not GBK", text);
    if (settledAt != std::string::npos && !Same(whole, DetectEncoding(text.data(), settledAt))) {
        Fail("settled on a prefix whose own answer differs", text);
    }

    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    if (static_cast<std::size_t>(utf8::SkipValid(p, p + text.size()) - p) !=
        ReferenceValidLength(p, text.size())) {
        Fail("SkipValid differs from DecodeOne", text);
    }
    return 0;
}
