// The UTF-8 converter alone at each vector level this processor runs, on a UTF-8 file held in
// memory and converted in the scan's pieces of 256 KiB: the processor time of each level, the
// median of several rounds (rounds of the levels alternate, so load falls on all of them), and a
// check that every level gives the same bytes.
// Usage: utf8_decode_bench UTF8_FILE [rounds]

#include "platform/linux/TextConverterLinux.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace lh::platform;

namespace {

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Run {
    double seconds = 0;
    std::uint64_t hash = 0;
    std::size_t produced = 0;
};

Run Convert(VectorLevel level, const std::string& in) {
    constexpr std::size_t kPiece = std::size_t{256} << 10;
    const auto converter = OpenUnicodeToCp932(Charset::Utf8, '?', level);
    std::vector<char> out(kPiece);
    Run run;
    std::uint64_t hash = 1469598103934665603ull;
    const double start = ThreadSeconds();
    std::size_t at = 0;
    while (at < in.size()) {
        const std::size_t size = std::min(in.size() - at, kPiece);
        const auto step = converter->Convert(in.data() + at, size, out.data(), out.size(),
                                             at + size == in.size());
        if (step.consumed == 0 && step.produced == 0)
            break;
        at += step.consumed;
        run.produced += step.produced;
        // A sample of the bytes keeps the check from weighing on the time.
        for (std::size_t k = 0; k < step.produced; k += 61)
            hash = (hash ^ static_cast<unsigned char>(out[k])) * 1099511628211ull;
        hash = (hash ^ step.produced) * 1099511628211ull;
    }
    run.seconds = ThreadSeconds() - start;
    run.hash = hash;
    return run;
}

const char* Name(VectorLevel level) {
    switch (level) {
    case VectorLevel::None:
        return "character by character";
    case VectorLevel::Avx2:
        return "AVX2 blocks of 32 bytes";
    case VectorLevel::Avx512:
        return "AVX-512 blocks of 64 bytes";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: utf8_decode_bench UTF8_FILE [rounds]\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string text = whole.str();
    if (!file || text.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    std::vector<VectorLevel> levels = {VectorLevel::None};
    for (const VectorLevel level : {VectorLevel::Avx2, VectorLevel::Avx512})
        if (level <= BestVectorLevel())
            levels.push_back(level);

    std::vector<std::vector<double>> seconds(levels.size());
    std::vector<Run> last(levels.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t k = 0; k < levels.size(); ++k) {
            last[k] = Convert(levels[k], text);
            seconds[k].push_back(last[k].seconds);
        }
    int status = 0;
    const double mib = static_cast<double>(text.size()) / (1 << 20);
    std::printf("%.1f MiB of UTF-8, processor time, median of %d\n", mib, rounds);
    double first = 0;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        std::sort(seconds[k].begin(), seconds[k].end());
        const double median = seconds[k][seconds[k].size() / 2];
        if (k == 0)
            first = median;
        std::printf("%-28s %8.1f ms %8.0f MiB/s %6.2f x\n", Name(levels[k]), median * 1e3,
                    mib / median, median / first);
        if (last[k].hash != last[0].hash || last[k].produced != last[0].produced) {
            std::printf("  gives different bytes from the character-by-character loops\n");
            status = 1;
        }
    }
    return status;
}
