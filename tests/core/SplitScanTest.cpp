#include "core/SplitScan.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/EmailScanner.h"
#include "core/ScanFeeder.h"
#include "core/UrlScanner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace lh;
using lh::test::TempDir;
using namespace std::string_literals;

namespace {

// Everything a scan hands on, in order.
struct Finds {
    std::vector<std::string> addresses;
    std::int64_t tooLong = 0;
    std::int64_t progress = 0;
    Charset encoding = Charset::Cp932;
    bool ok = true;
};

class RecordingSink final : public AddressSink {
public:
    explicit RecordingSink(Finds& finds) : m_finds(finds) {}
    void Found(std::string_view address) override { m_finds.addresses.emplace_back(address); }
    void TooLong(std::uint64_t) override { ++m_finds.tooLong; }

private:
    Finds& m_finds;
};

std::unique_ptr<AddressScanner> MakeScanner(bool email, AddressSink& sink) {
    if (email)
        return std::make_unique<EmailScanner>(sink);
    return std::make_unique<UrlScanner>(sink, true);
}

// One scanner over the whole file, on this thread.
Finds ScanWhole(bool email, const std::string& file) {
    Finds finds;
    RecordingSink sink(finds);
    const std::unique_ptr<AddressScanner> scanner = MakeScanner(email, sink);
    test::RecordingProgress progress;
    ScanFeeder feeder(*scanner, progress);
    IoCode code;
    finds.ok = feeder.FeedFile(file, code);
    finds.progress = progress.total;
    finds.encoding = feeder.EncodingRead();
    return finds;
}

Finds ScanSplit(bool email, const std::string& file, const SplitScan::Sizes& sizes) {
    SplitScan scan([email](AddressSink& sink) { return MakeScanner(email, sink); },
                   email ? "mailto:" : "", sizes);
    Finds finds;
    SplitScan::ReadResult read;
    const SplitScan::Run run = scan.ScanFile(
        file, EncodingChoice::Auto, false, nullptr,
        [&finds, email](AddressBatch& batch) {
            for (const AddressBatch::Entry& e : batch.entries) {
                std::string_view text = batch.Text(e);
                // The prefix is the split scan's own; the plain scan reports without it.
                if (email)
                    text.remove_prefix(7);
                finds.addresses.emplace_back(text);
            }
            finds.tooLong += batch.tooLong;
            finds.progress += batch.progress;
        },
        read);
    EXPECT_EQ(run, SplitScan::Run::Done);
    finds.ok = read.ok;
    finds.encoding = read.encoding;
    return finds;
}

// Text made to put addresses, line breaks, NULs and double-byte characters at every distance
// from the block cuts.
std::string RandomText(std::uint32_t seed, std::size_t pieces) {
    static const char* const kPieces[] = {
        "http://",
        "HTTP://a.b/",
        "https://s/",
        "Http://x/y?q=1&r=2#top;x",
        "h",
        "ht",
        "@",
        "a@b",
        "name@host.jp",
        "x",
        "..",
        "mailto:",
        " ",
        "\r",
        "\n",
        "\r\n",
        "\n\r",
        "" /* a NUL */,
        "\x81\x40",
        "\x82\xa0",
        "\x83\x61",
        "\x81",
        "\x81\n",
        "\x81\r",
        ",",
        "\"",
        "\t",
        "abcdefghijklmnop",
    };
    std::mt19937 rng(seed);
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t k = rng() % std::size(kPieces);
        if (k == 17)
            text.push_back('\0');
        else
            text += kPieces[k];
    }
    return text;
}

void ExpectSame(const Finds& split, const Finds& whole) {
    // The first difference says more than two long lists.
    const auto differ = std::mismatch(split.addresses.begin(), split.addresses.end(),
                                      whole.addresses.begin(), whole.addresses.end());
    if (differ.first != split.addresses.end() || differ.second != whole.addresses.end()) {
        ADD_FAILURE() << "finds differ from #" << (differ.first - split.addresses.begin()) << ": "
                      << testing::PrintToString(
                             differ.first != split.addresses.end() ? *differ.first : "(end)")
                      << " instead of "
                      << testing::PrintToString(
                             differ.second != whole.addresses.end() ? *differ.second : "(end)");
    }
    EXPECT_EQ(split.tooLong, whole.tooLong);
    EXPECT_EQ(split.progress, whole.progress);
    EXPECT_EQ(split.encoding, whole.encoding);
    EXPECT_EQ(split.ok, whole.ok);
}

} // namespace

// Blocks from one byte up, few of them and a budget of nothing (each block waits for the one
// before to be settled) or plenty, lines across blocks handed on whole or in pieces: the finds
// are those of one scanner over the whole file.
TEST(SplitScan, anyBlockSize_findsWhatOneScannerFinds) {
    const std::string lfOnly = [] {
        std::string t;
        for (int i = 0; i < 300; ++i)
            t += "http://lf" + std::to_string(i) + "/ a" + std::to_string(i) + "@b\n";
        return t;
    }();
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"mixed 1", RandomText(1, 3000)},
        {"mixed 2", RandomText(2, 3000)},
        {"mixed 3", RandomText(3, 3000)},
        {"LF line ends", lfOnly},
        {"NUL then LF lines",
         "x\0y\nhttp://gone/ a@gone\nhttp://gone2/\rhttp://kept/ k@kept\r\n"s + lfOnly},
        {"no line break", std::string(5000, 'y') + "http://" + std::string(3000, 'z') + "@q"},
        {"ends at CR", "http://a/\r"},
        {"ends at LF", "a@b http://a/\n"},
        {"end-of-file byte", "http://a/\r\n\x1A"
                             "http://after/\r\n"},
    };
    TempDir dir;
    const std::string file = dir.File("in.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteFileBytes(file, c.bytes);
        for (const bool email : {false, true}) {
            SCOPED_TRACE(email ? "e-mail" : "urls");
            const Finds whole = ScanWhole(email, file);
            for (const std::size_t blockBytes : {1, 2, 3, 7, 16, 61, 256, 4096}) {
                for (const std::size_t ahead : {std::size_t{0}, std::size_t{1} << 20}) {
                    SCOPED_TRACE(blockBytes * 10 + (ahead > 0));
                    SplitScan::Sizes sizes;
                    sizes.blockBytes = blockBytes;
                    sizes.blocks = blockBytes % 2 ? 2 : 3;
                    sizes.aheadBytes = sizes.settlingAheadBytes = ahead;
                    // Lines across blocks handed on in pieces of a block or smaller.
                    if (ahead == 0)
                        sizes.pieceBytes = std::max<std::size_t>(1, blockBytes / 3);
                    ExpectSame(ScanSplit(email, file, sizes), whole);
                }
            }
        }
    }
}

// Converted text is cut after the conversion, so a cut never splits a character of the file;
// the progress counts the file's own bytes.
TEST(SplitScan, convertedFiles_findWhatOneScannerFinds) {
    const std::string text = "Http://日本.jp/ページ です\r\n名前name@host。\nhttp://b/\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const unsigned char c : std::string("http://u16/ a@b\r\nhttp://two/\n")) {
        utf16.push_back(static_cast<char>(c));
        utf16.push_back('\0');
    }
    std::string utf8;
    for (int i = 0; i < 50; ++i)
        utf8 += text;
    TempDir dir;
    const std::string file = dir.File("in.txt");
    for (const std::string& bytes : {"\xEF\xBB\xBF" + utf8, utf16}) {
        test::WriteFileBytes(file, bytes);
        for (const bool email : {false, true}) {
            const Finds whole = ScanWhole(email, file);
            EXPECT_NE(whole.encoding, Charset::Cp932);
            EXPECT_FALSE(whole.addresses.empty());
            for (const std::size_t blockBytes : {1, 5, 64}) {
                SCOPED_TRACE(blockBytes);
                SplitScan::Sizes sizes;
                sizes.blockBytes = blockBytes;
                ExpectSame(ScanSplit(email, file, sizes), whole);
            }
        }
    }
}

// An address longer than any kept, on a line across many blocks.
TEST(SplitScan, addressAcrossManyBlocks_isPassedOverAsOneScannerDoes) {
    TempDir dir;
    const std::string file = dir.File("in.txt");
    test::WriteFileBytes(file, "a@b http://" + std::string(AddressScanner::kMaxAddressBytes, 'x') +
                                   " http://after/ c@d\r\n");
    for (const bool email : {false, true}) {
        const Finds whole = ScanWhole(email, file);
        SplitScan::Sizes sizes;
        sizes.blockBytes = 4096;
        ExpectSame(ScanSplit(email, file, sizes), whole);
    }
}

TEST(SplitScan, missingFile_reportsTheErrorAndSettlesNothing) {
    TempDir dir;
    SplitScan scan([](AddressSink& sink) { return MakeScanner(false, sink); }, "", {});
    SplitScan::ReadResult read;
    int settled = 0;
    EXPECT_EQ(scan.ScanFile(
                  dir.File("none.txt"), EncodingChoice::Auto, false, nullptr,
                  [&settled](AddressBatch&) { ++settled; }, read),
              SplitScan::Run::Done);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.errorCode.kind, IoErrorKind::NotFound);
    EXPECT_EQ(settled, 0);
}
