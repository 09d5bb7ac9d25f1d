#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/AddressSink.h"
#include "core/EmailScanner.h"
#include "core/ScanCommands.h"
#include "core/ScanFeeder.h"
#include "core/UrlScanner.h"
#include "util/Mbcs.h"

#include <cctype>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>

using namespace lh;
using lh::test::TempDir;

namespace {

using Addresses = std::vector<std::string>;

class RecordingSink final : public AddressSink {
public:
    void Found(std::string_view address) override { found.emplace_back(address); }
    Addresses found;
};

// What a scan must append, worked out the plain way: every address the scanner reports, keyed
// by its upper-cased record text, kept when neither the table nor an earlier find holds the key.
Addresses ExpectedAppends(AddressKind kind, const std::string& bytes, const Addresses& held) {
    RecordingSink sink;
    UrlScanner urls(sink, false);
    EmailScanner mails(sink);
    NullProgress quiet;
    ScanFeeder feeder(kind == AddressKind::Url ? static_cast<AddressScanner&>(urls) : mails, quiet);
    feeder.SetEncoding(EncodingChoice::Cp932);
    feeder.FeedBytes(bytes);
    std::set<std::string> keys;
    for (const std::string& a : held)
        if (!a.empty())
            keys.insert(AsciiUpper(a));
    Addresses out;
    for (const std::string& found : sink.found) {
        const std::string text = (kind == AddressKind::Email ? "mailto:" : "") + found;
        if (keys.insert(AsciiUpper(text)).second)
            out.push_back(text);
    }
    return out;
}

struct ScanResult {
    Addresses table;
    ScanOutcome outcome;
    std::int64_t progressTotal = 0;
    bool undone = false; // one undo step took the table back to what it held
};

ScanResult RunScan(AddressKind kind, const std::string& file, const Addresses& held,
                   ScanThreads threads) {
    Document document;
    document.ResetState({});
    for (const std::string& a : held)
        document.Table().AppendRecord("", a, "", "");
    test::RecordingProgress progress;
    ScanOptions options;
    options.encoding = EncodingChoice::Cp932;
    ScanResult r;
    r.outcome = ScanFileIntoDocument(kind, file, document, progress, options, false, threads);
    r.progressTotal = progress.total;
    for (TableStore::Row i = 0; i < document.Table().RecordCount(); ++i)
        r.table.emplace_back(document.Table().Text(i, TableStore::kAddress));
    if (r.outcome.added > 0) {
        document.Undo();
        r.undone = document.Table().RecordCount() == static_cast<TableStore::Row>(held.size());
    }
    return r;
}

// Many finds that differ only in letter case, spread over more batches than the reader and the
// table's side can hold at once.
std::string ManyCaseVariants() {
    std::mt19937 rng(7);
    std::string text;
    for (int i = 0; i < 60000; ++i) {
        std::string host = "Site" + std::to_string(rng() % 9000) + ".Example";
        for (char& c : host)
            if (rng() % 2)
                c = static_cast<char>(c ^
                                      0x20 * (std::isalpha(static_cast<unsigned char>(c)) != 0));
        text += "http://" + host + "/ " + "u" + host + "@h.jp\r\n";
    }
    return text;
}

} // namespace

// Each case: the file's bytes and what the collection held before the scan.
TEST(ScanThreads, bothWays_appendWhatThePlainDuplicateTestKeeps) {
    const std::string longUrl = "http://" + std::string(AddressScanner::kMaxAddressBytes, 'x');
    const struct {
        const char* name;
        std::string bytes;
        Addresses held;
    } cases[] = {
        {"empty file", "", {"http://a/"}},
        {"case variants", "http://A.b/ Http://a.B/ hTTP://a.b/ x@Y.z X@y.Z\r\n", {""}},
        {"held in other case",
         "http://SITE/x mailto:A@B\r\nhttp://site/X\r\n",
         {"HTTP://site/x", "MAILTO:a@b"}},
        // 0x83 0x61 is one double-byte character: its 'a' is no letter and must not fold.
        {"trail-byte letters", "http://h/\x83\x61 http://h/\x83\x41 \x83\x61@h \x83\x41@h\r\n", {}},
        {"kana before letters", "http://h/\xB1q http://h/\xB1Q q\xB1@h Q\xB1@h\r\n", {}},
        {"too long", longUrl + " http://after/ a@b\r\n", {}},
        {"many case variants", ManyCaseVariants(), {"http://site1.example/"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File("in.txt");
        test::WriteFileBytes(file, c.bytes);
        for (const AddressKind kind : {AddressKind::Url, AddressKind::Email}) {
            SCOPED_TRACE(kind == AddressKind::Url ? "urls" : "e-mail");
            Addresses expected = c.held;
            const Addresses appended = ExpectedAppends(kind, c.bytes, c.held);
            expected.insert(expected.end(), appended.begin(), appended.end());
            const ScanResult one = RunScan(kind, file, c.held, ScanThreads::One);
            const ScanResult two = RunScan(kind, file, c.held, ScanThreads::Two);
            EXPECT_EQ(one.table, expected);
            EXPECT_EQ(two.table, expected);
            EXPECT_EQ(two.outcome.found, one.outcome.found);
            EXPECT_EQ(two.outcome.added, static_cast<std::int64_t>(appended.size()));
            EXPECT_EQ(one.outcome.added, static_cast<std::int64_t>(appended.size()));
            EXPECT_EQ(two.outcome.tooLong, one.outcome.tooLong);
            EXPECT_EQ(two.progressTotal, one.progressTotal);
            EXPECT_EQ(two.undone, one.undone);
            EXPECT_EQ(one.undone, !appended.empty());
        }
    }
}

// A display that fails while the scan runs: the reader must stop rather than wait for a side
// that is gone, and what was appended stays one undoable step.
TEST(ScanThreads, failureOnTheTableSide_stopsTheReaderAndKeepsTheUndoStep) {
    class FailingProgress final : public ProgressSink {
    public:
        void ProgressStart(std::int64_t, const std::string&) override {}
        void ProgressStep(std::int64_t) override { throw std::runtime_error("display gone"); }
        void ProgressEnd() override {}
    };
    TempDir dir;
    const std::string file = dir.File("big.txt");
    std::string text;
    for (int i = 0; i < 400000; ++i)
        text += "http://h" + std::to_string(i) + "/\r\n";
    test::WriteFileBytes(file, text);
    for (const ScanThreads threads : {ScanThreads::One, ScanThreads::Two}) {
        Document document;
        document.ResetState({});
        FailingProgress progress;
        EXPECT_THROW(
            ScanFileIntoDocument(AddressKind::Url, file, document, progress, {}, false, threads),
            std::runtime_error);
        const TableStore::Row added = document.Table().RecordCount();
        EXPECT_GT(added, 0);
        EXPECT_LT(added, 400000);
        EXPECT_TRUE(document.IsModified());
        EXPECT_TRUE(document.Undo());
        EXPECT_EQ(document.Table().RecordCount(), 0);
    }
}

// The document is filled while the file is already being read: the outcome is that of a scan
// into the filled document, and a failed or broken fill leaves the document as it was, with the
// reader stopped.
TEST(ScanThreads, preparedDocument_settlesOnlyAfterThePreparationAndStopsWhenItFails) {
    TempDir dir;
    const std::string file = dir.File("big.txt");
    std::string text;
    for (int i = 0; i < 400000; ++i)
        text += "http://h" + std::to_string(i % 1000) + "/\r\n";
    test::WriteFileBytes(file, text);
    const Addresses held = {"http://h5/", "HTTP://H7/"};
    const Addresses appended = ExpectedAppends(AddressKind::Url, text, held);
    enum class Fill { Loads, Fails, Throws };
    for (const ScanThreads threads : {ScanThreads::One, ScanThreads::Two}) {
        for (const Fill fill : {Fill::Loads, Fill::Fails, Fill::Throws}) {
            SCOPED_TRACE(static_cast<int>(threads) * 10 + static_cast<int>(fill));
            Document document;
            document.ResetState({});
            test::RecordingProgress progress;
            const auto prepare = [&] {
                if (fill == Fill::Throws)
                    throw std::runtime_error("load broke");
                if (fill == Fill::Fails)
                    return false;
                for (const std::string& a : held)
                    document.Table().AppendRecord("", a, "", "");
                document.ResetState("c.htm");
                return true;
            };
            std::optional<ScanOutcome> outcome;
            if (fill == Fill::Throws) {
                EXPECT_THROW(ScanFileIntoPreparedDocument(AddressKind::Url, file, document,
                                                          progress, {}, false, threads, prepare),
                             std::runtime_error);
            } else {
                outcome = ScanFileIntoPreparedDocument(AddressKind::Url, file, document, progress,
                                                       {}, false, threads, prepare);
            }
            if (fill != Fill::Loads) {
                EXPECT_FALSE(outcome.has_value());
                EXPECT_EQ(document.Table().RecordCount(), 0);
                EXPECT_FALSE(document.IsModified());
                EXPECT_EQ(progress.total, 0);
                continue;
            }
            ASSERT_TRUE(outcome.has_value());
            EXPECT_EQ(outcome->added, static_cast<std::int64_t>(appended.size()));
            EXPECT_EQ(outcome->found, 400000);
            EXPECT_EQ(document.Table().RecordCount(),
                      static_cast<TableStore::Row>(held.size() + appended.size()));
            EXPECT_EQ(document.Table().Text(2, TableStore::kAddress), appended.front());
            // The loaded records are no part of the scan's undo step.
            EXPECT_TRUE(document.Undo());
            EXPECT_EQ(document.Table().RecordCount(), static_cast<TableStore::Row>(held.size()));
        }
    }
}
