// Character-wise searching and counting over a few MiB of mixed Japanese and ASCII text, next to
// a plain byte search of the same text as the reference.

#include "util/Mbcs.h"

#include <benchmark/benchmark.h>
#include <string>
#include <string_view>

namespace {

// About 4 MiB of lines like a mail archive: Japanese prose (with characters whose second byte is
// "@" or the backslash), ASCII headers and addresses. No "HTTP://" in upper case anywhere.
const std::string& MixedText() {
    static const std::string text = [] {
        const std::string japanese = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58"
                                     "\x83\x67\x81\x40\x83\x5C\x83\x74\x83\x67\x83\x40\x83\x43"
                                     "\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7";
        const std::string ascii = "Received: from mail.example.org by relay; user@example.com\r\n";
        std::string t;
        while (t.size() < (4u << 20)) {
            t += japanese;
            t += japanese;
            t += ascii;
            t += japanese;
            t += "\r\n";
        }
        return t;
    }();
    return text;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(MixedText().size()));
}

void BM_MbcsLength(benchmark::State& state) {
    const std::string& text = MixedText();
    for (auto _ : state)
        benchmark::DoNotOptimize(lh::MbcsLength(text));
    SetBytes(state);
}
BENCHMARK(BM_MbcsLength);

// A pattern that never occurs: the whole text is searched.
void BM_MbcsPos_Absent(benchmark::State& state) {
    const std::string& text = MixedText();
    for (auto _ : state)
        benchmark::DoNotOptimize(lh::MbcsPos("HTTP://", text));
    SetBytes(state);
}
BENCHMARK(BM_MbcsPos_Absent);

void BM_StringViewFind_Absent(benchmark::State& state) {
    const std::string_view text = MixedText();
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find("HTTP://"));
    SetBytes(state);
}
BENCHMARK(BM_StringViewFind_Absent);

// A pattern found only at the very end: the search and the character count of the position.
void BM_MbcsPos_AtEnd(benchmark::State& state) {
    const std::string text = MixedText() + "HTTP://end";
    for (auto _ : state)
        benchmark::DoNotOptimize(lh::MbcsPos("HTTP://", text));
    SetBytes(state);
}
BENCHMARK(BM_MbcsPos_AtEnd);

void BM_StringViewFind_AtEnd(benchmark::State& state) {
    const std::string text = MixedText() + "HTTP://end";
    const std::string_view view = text;
    for (auto _ : state)
        benchmark::DoNotOptimize(view.find("HTTP://"));
    SetBytes(state);
}
BENCHMARK(BM_StringViewFind_AtEnd);

// Every "@" on a character boundary, skipping the many 0x40 bytes inside two-byte characters.
void BM_MbcsFind_EveryAt(benchmark::State& state) {
    const std::string& text = MixedText();
    for (auto _ : state) {
        std::size_t n = 0;
        for (std::size_t at = lh::MbcsFind("@", text, 0); at != std::string::npos;
             at = lh::MbcsFind("@", text, at + 1))
            ++n;
        benchmark::DoNotOptimize(n);
    }
    SetBytes(state);
}
BENCHMARK(BM_MbcsFind_EveryAt);

void BM_StringViewFind_EveryAt(benchmark::State& state) {
    const std::string_view text = MixedText();
    for (auto _ : state) {
        std::size_t n = 0;
        for (std::size_t at = text.find('@'); at != std::string_view::npos;
             at = text.find('@', at + 1))
            ++n;
        benchmark::DoNotOptimize(n);
    }
    SetBytes(state);
}
BENCHMARK(BM_StringViewFind_EveryAt);

// Line by line as the scanners work: fold the case, then look for the scheme.
void BM_UpperAndPos_PerLine(benchmark::State& state) {
    const std::string_view text = MixedText();
    std::string line;
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t begin = 0; begin < text.size();) {
            std::size_t end = text.find('\r', begin);
            if (end == std::string_view::npos)
                end = text.size();
            line.assign(text.substr(begin, end - begin));
            lh::AsciiUpperInPlace(line);
            found += lh::MbcsPos("HTTP://", line) != 0;
            begin = end + 2;
        }
        benchmark::DoNotOptimize(found);
    }
    SetBytes(state);
}
BENCHMARK(BM_UpperAndPos_PerLine);

} // namespace

BENCHMARK_MAIN();
