// Writes a code page 932 text corpus for the scan benchmarks: Japanese prose in long CR LF lines
// with web and e-mail addresses in it, many of them repeated, the way logs and mail archives
// look. Deterministic, so every run measures the same bytes.
//
//   make_scan_corpus OUTPUT [MEBIBYTES] [DISTINCT_URLS] [DISTINCT_MAILS]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
    // Small indexes far more often than large ones, like the popular sites of a real log.
    std::uint32_t Skewed(std::uint32_t n) {
        const double u = static_cast<double>(Next() % 1000000) / 1000000.0;
        return static_cast<std::uint32_t>(u * u * u * n) % n;
    }

private:
    std::uint64_t m_state;
};

void PutJapaneseCharacter(std::string& out, Random& rng) {
    const std::uint32_t kind = rng.Below(100);
    if (kind < 45) { // hiragana
        out += static_cast<char>(0x82);
        out += static_cast<char>(0x9F + rng.Below(0x53));
    } else if (kind < 60) { // katakana
        std::uint32_t t = 0x40 + rng.Below(0x57);
        if (t == 0x7F)
            ++t;
        out += static_cast<char>(0x83);
        out += static_cast<char>(t);
    } else if (kind < 95) { // kanji of the first level
        std::uint32_t t = 0x40 + rng.Below(0xBD);
        if (t >= 0x7F)
            ++t;
        out += static_cast<char>(0x88 + rng.Below(0x10));
        out += static_cast<char>(t);
    } else { // punctuation: 、 。 「 」
        static const char* const marks[] = {"\x81\x41", "\x81\x42", "\x81\x75", "\x81\x76"};
        out += marks[rng.Below(4)];
    }
}

std::string Url(std::uint32_t i) {
    static const char* const schemes[] = {"http://", "http://", "http://", "HTTP://", "Http://"};
    static const char* const tlds[] = {".co.jp", ".jp", ".com", ".ne.jp", ".or.jp"};
    return std::string(schemes[i % 5]) + "www.site" + std::to_string(i / 7) + tlds[i % 5] + "/dir" +
           std::to_string(i % 7) + "/page" + std::to_string(i) +
           ".html?id=" + std::to_string(i * 2654435761u % 100000);
}

std::string Mail(std::uint32_t i) {
    return "user" + std::to_string(i) + "@mail" + std::to_string(i % 97) + ".example.jp";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: make_scan_corpus OUTPUT [MEBIBYTES] [DISTINCT_URLS] [DISTINCT_MAILS]\n",
                   stderr);
        return 2;
    }
    const std::uint64_t target = (argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 256) << 20;
    const std::uint32_t urls = argc > 3 ? static_cast<std::uint32_t>(std::atoi(argv[3])) : 150000;
    const std::uint32_t mails = argc > 4 ? static_cast<std::uint32_t>(std::atoi(argv[4])) : 60000;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    Random rng(0x5eed1234abcdULL);
    std::uint64_t written = 0;
    std::uint32_t nextUrl = 0; // every URL appears at least once, then repeats follow
    std::uint32_t nextMail = 0;
    std::string line;
    while (written < target) {
        line.clear();
        // Long lines: 1 to 8 KiB of prose.
        const std::size_t length = 1024 + rng.Below(7 * 1024);
        while (line.size() < length) {
            const std::uint32_t what = rng.Below(100);
            if (what < 2) {
                const std::uint32_t i = nextUrl < urls ? nextUrl++ : rng.Skewed(urls);
                static const char* const before[] = {" ", "\"", "\x81\x40", "<"};
                static const char* const after[] = {" ", "\"", "\x81\x40", ">"};
                const std::uint32_t q = rng.Below(4);
                line += before[q];
                line += Url(i);
                line += after[q];
            } else if (what < 3) {
                const std::uint32_t i = nextMail < mails ? nextMail++ : rng.Skewed(mails);
                line += rng.Below(2) ? " mailto:" : "\x81\x40";
                line += Mail(i);
                line += rng.Below(2) ? " " : "\x81\x40";
            } else if (what < 12) {
                // ASCII words, times and numbers as they occur in Japanese text.
                static const char* const words[] = {" OK ",  "2024/05/21 ", "12:34:56", " PC ",
                                                    "No.15", " (sic) ",     "ID:",      "100%"};
                line += words[rng.Below(8)];
            } else {
                PutJapaneseCharacter(line, rng);
            }
        }
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
            std::perror(argv[1]);
            return 1;
        }
        written += line.size();
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%s: %llu bytes, %u distinct URLs, %u distinct e-mail addresses\n", argv[1],
                static_cast<unsigned long long>(written), urls, mails);
    return 0;
}
