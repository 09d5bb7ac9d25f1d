// The scanners on any bytes: however the input is split into blocks, they report the same
// addresses as a scan of the whole in one block, and for short inputs the same as the plain
// line-by-line algorithms written with the character functions.

#include "FuzzCheck.h"
#include "core/EmailScanner.h"
#include "core/ScanFeeder.h"
#include "core/UrlScanner.h"
#include "core/UserInterface.h"
#include "util/Mbcs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace lh;

namespace {

using Found = std::vector<std::string>;

class Collect final : public AddressSink {
public:
    explicit Collect(std::vector<std::string>& out) : m_out(out) {}
    void Found(std::string_view a) override { m_out.emplace_back(a); }

private:
    std::vector<std::string>& m_out;
};

Found Scan(bool url, std::string_view bytes, std::size_t block, EncodingChoice encoding) {
    Found found;
    Collect sink(found);
    UrlScanner urls(sink);
    EmailScanner emails(sink);
    NullProgress progress;
    ScanFeeder feeder(url ? static_cast<AddressScanner&>(urls) : emails, progress, block);
    feeder.SetEncoding(encoding);
    feeder.FeedBytes(bytes);
    return found;
}

std::vector<std::string> Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] != '\x1a') {
        std::string line;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\x1a')
            line.push_back(bytes[i++]);
        if (i < bytes.size() && bytes[i] == '\r' && ++i < bytes.size() && bytes[i] == '\n')
            ++i;
        lines.push_back(line);
    }
    return lines;
}

bool IsOneOf(const std::string& ch, std::string_view singles) {
    if (ch == "\x81\x40")
        return true;
    return ch.size() == 1 && singles.find(ch[0]) != std::string_view::npos;
}

// A line feed inside a line ends an address too: no address holds a raw one.
constexpr std::string_view kTerminators = ",!\"()+*<>' \n";
constexpr std::string_view kDelimiters = ",!\"()+*<>' #$&=`|{}?^\\@[;:]/\n";

Found Reference(bool url, std::string_view bytes) {
    Found found;
    for (const std::string& line : Lines(bytes)) {
        const MbcsIndex len = MbcsLength(line);
        if (url) {
            const std::string upper = AsciiUpper(line);
            for (MbcsIndex c = MbcsPos("HTTP://", upper); c > 0;
                 c = MbcsPosFrom("HTTP://", upper, c + 7)) {
                MbcsIndex i = c + 7;
                while (i <= len && !IsOneOf(MbcsCopy(line, i, 1), kTerminators) &&
                       AsciiUpper(MbcsCopy(line, i, 7)) != "HTTP://")
                    ++i;
                if (i - c > 7)
                    found.push_back(MbcsCopy(line, c, i - c));
            }
        } else {
            for (MbcsIndex i = MbcsPos("@", line); i > 0; i = MbcsPosFrom("@", line, i + 1)) {
                MbcsIndex j = i - 1;
                while (j > 0 && !IsOneOf(MbcsCopy(line, j, 1), kDelimiters))
                    --j;
                MbcsIndex k = i + 1;
                while (k <= len && !IsOneOf(MbcsCopy(line, k, 1), kDelimiters))
                    ++k;
                if (j < i - 1 && k > i + 1)
                    found.push_back(MbcsCopy(line, j + 1, k - j - 1));
            }
        }
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the block size: every size from 1 up to 64 bytes, where pieces end
    // inside addresses, characters and line ends.
    const std::size_t block = std::size_t{1} + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const bool url : {true, false}) {
        const Found whole = Scan(url, bytes, ScanFeeder::kDefaultBlockSize, EncodingChoice::Cp932);
        LH_FUZZ_CHECK(Scan(url, bytes, block, EncodingChoice::Cp932) == whole);
        // The reference walks character by character from each line start: quadratic, so only
        // for inputs a fuzzer mostly produces anyway.
        if (bytes.size() <= 2048)
            LH_FUZZ_CHECK(Reference(url, bytes) == whole);
        // Detected and converted input: the pieces a file arrives in change nothing either,
        // however a character of any encoding is cut.
        LH_FUZZ_CHECK(Scan(url, bytes, block, EncodingChoice::Auto) ==
                      Scan(url, bytes, ScanFeeder::kDefaultBlockSize, EncodingChoice::Auto));
    }
    return 0;
}
