#include "CsvFile.h"

#include "ColumnHeadings.h"
#include "EightBytes.h"
#include "QuotedField.h"
#include "util/Codec.h"
#include "util/Cp932Fit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lh {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Calls `row` with the fields of each row, reusing one vector.
template <typename OnRow> void ForEachCsvRow(std::string_view text, OnRow&& row) {
    std::vector<std::string> fields;
    std::string field;
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool rowOpen = false;
    while (i < n) {
        rowOpen = true;
        field.clear();
        if (text[i] == '"') {
            // An unclosed quote takes the rest of the text.
            const std::size_t after = ReadQuotedField(text, i + 1, field);
            i = after == std::string_view::npos ? n : after;
            // Anything between the closing quote and the next comma belongs to the field.
            while (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                field += text[i++];
        } else {
            std::size_t e = i;
            while (e < n && text[e] != ',' && text[e] != '\n' && text[e] != '\r')
                ++e;
            field.append(text.substr(i, e - i));
            i = e;
        }
        fields.push_back(field);
        if (i < n && text[i] == ',') {
            ++i;
            if (i == n)
                fields.emplace_back();
            continue;
        }
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
        row(fields);
        fields.clear();
        rowOpen = false;
    }
    if (rowOpen)
        row(fields);
}

std::string Folded(std::string_view s) {
    std::string out;
    for (const char c : s)
        if (c != ' ' && c != '\t')
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

// The column (0 number, 1..4 cells) a header field names, -1 for none. Compared in UTF-8.
int HeaderColumn(std::string_view field) {
    static const std::array<std::vector<std::string_view>, 5> kNames = {{
        {"no.", "no", "番号"},
        {"名前", "name", "title", "タイトル"},
        {"url/e-mail", "url", "address", "href", "アドレス"},
        {"ｱｸｾｽ日時", "アクセス日時", "access", "lastvisit", "date"},
        {"備考", "remark", "remarks", "note", "description", "folder"},
    }};
    const std::string folded = Folded(field);
    for (int c = 0; c < 5; ++c)
        for (const std::string_view name : kNames[static_cast<std::size_t>(c)])
            if (folded == name)
                return c;
    return -1;
}

class CsvFormat final : public CollectionFormat {
public:
    std::string_view Name() const noexcept override { return "csv"; }

    bool Read(const std::string& path, CollectionContent& into, ProgressSink& progress,
              IoError& error) const override {
        FileBytes text;
        if (!ReadWholeFile(path, text, progress, error))
            return false;
        into.summary.fileBytes = static_cast<std::int64_t>(text.Size());
        ParseCsvText(text, into.records, into.tally);
        return true;
    }

    bool Write(std::FILE* out, const TableStore& records, const std::string& title,
               ProgressSink& progress, ExchangeTally& tally) const override;
};

// A field a spreadsheet would take for a formula (a scanned page may hold "=cmd|..."), or one
// that already bears the apostrophe that guards such a field. The apostrophe makes the
// spreadsheet show the rest as text; the reader takes it off again, so nothing changes on the
// way back.
bool NeedsFormulaGuard(std::string_view field) noexcept {
    while (!field.empty() && field.front() == '\'')
        field.remove_prefix(1);
    if (field.empty())
        return false;
    switch (field.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

// What a field asks for before it goes out.
enum FieldNeed : unsigned {
    kQuote = 1,     // a comma, a quote or a line break: the field is quoted
    kQuoteMark = 2, // a quote, doubled inside the quotes
    kConvert = 4,   // double-byte text, converted to UTF-8
};

// The needs of a field, eight bytes at a time: most cells are plain ASCII and go out as they
// are, and a byte-wise look at every cell cost more than writing it. The test runs on the
// document bytes: no second byte of a double-byte character is below 0x40, so none is taken
// for a comma, a quote or a line break.
unsigned FieldNeeds(std::string_view sjis) noexcept {
    std::uint64_t high = 0;
    std::uint64_t marks = 0;
    std::uint64_t breaks = 0;
    const auto look = [&](std::uint64_t w) {
        // Bytes from '-' to 0x7F (most of an address) ask for nothing: one test for all eight.
        if ((((w - eight::kOnes * '-') | w) & eight::kHighBits) == 0)
            return;
        high |= w & eight::kHighBits;
        marks |= eight::BytesEqual(w, '"');
        breaks |=
            eight::BytesEqual(w, ',') | eight::BytesEqual(w, '\r') | eight::BytesEqual(w, '\n');
    };
    const char* p = sjis.data();
    const std::size_t n = sjis.size();
    if (n >= 8) {
        std::size_t i = 0;
        for (; n - i >= 8; i += 8)
            look(eight::Load8(p + i));
        if (i < n)
            look(eight::Load8(p + n - 8)); // the last bytes again with some seen already
    } else if (n > 0) {
        std::uint64_t w = 0; // zero bytes match none of the characters asked for
        std::memcpy(&w, p, n);
        look(w);
    }
    unsigned needs = 0;
    if (high)
        needs |= kConvert;
    if (marks)
        needs |= kQuote | kQuoteMark;
    if (breaks)
        needs |= kQuote;
    return needs;
}

// The most bytes a cell of `bytes` bytes can take in the file: each byte three in UTF-8 (a
// quote doubled takes two), the formula guard, the quotes and the comma before it.
constexpr std::size_t MostCellBytes(std::size_t bytes) noexcept {
    return 3 * (bytes + 1) + 3;
}

// One cell at `w`, quoted when it holds a comma, a quote or a line break, or blanks at an end;
// returns the end of what it wrote.
char* PutQuotedCell(char* w, std::string_view sjis, std::string& scratch, ExchangeTally& tally) {
    const unsigned needs = FieldNeeds(sjis);
    const bool quote =
        (needs & kQuote) != 0 || (!sjis.empty() && (sjis.front() == ' ' || sjis.back() == ' '));
    if (!quote) {
        if ((needs & kConvert) != 0)
            return PutSjisAsUtf8(w, sjis, tally.lossyCharacters);
        if (!sjis.empty()) // an empty text may have no bytes to point at
            std::memcpy(w, sjis.data(), sjis.size());
        return w + sjis.size();
    }
    *w++ = '"';
    if ((needs & kQuoteMark) == 0) {
        w = PutSjisAsUtf8(w, sjis, tally.lossyCharacters);
    } else {
        scratch.clear();
        AppendSjisAsUtf8(scratch, sjis, tally.lossyCharacters);
        for (const char c : scratch) {
            if (c == '"')
                *w++ = '"';
            *w++ = c;
        }
    }
    *w++ = '"';
    return w;
}

char* PutCell(char* w, std::string_view sjis, std::string& scratch, ExchangeTally& tally) {
    if (NeedsFormulaGuard(sjis))
        return PutQuotedCell(w, "'" + std::string(sjis), scratch, tally);
    return PutQuotedCell(w, sjis, scratch, tally);
}

bool CsvFormat::Write(std::FILE* out, const TableStore& records, const std::string&,
                      ProgressSink& progress, ExchangeTally& tally) const {
    // The rows are written at a cursor into a block of memory of their own, which goes out
    // whenever the next row might not fit: a million records' cells without the checks of a
    // string's every append.
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<char> block(kBlock);
    std::size_t used = 0;
    std::string scratch;
    // Writes a row of at most `most` bytes with `writeRow(at)`, which returns its end.
    const auto put = [&](std::size_t most, auto&& writeRow) {
        if (block.size() - used < most) {
            if (used > 0 && std::fwrite(block.data(), 1, used, out) != used)
                return false;
            used = 0;
            if (block.size() < most)
                block.resize(most);
        }
        used = static_cast<std::size_t>(writeRow(block.data() + used) - block.data());
        return true;
    };

    std::size_t most = kUtf8Bom.size() + MostCellBytes(kNumberHeading.size()) + 2;
    for (const std::string_view heading : kFieldHeadings)
        most += MostCellBytes(heading.size());
    const bool headed = put(most, [&](char* w) {
        w = std::copy(kUtf8Bom.begin(), kUtf8Bom.end(), w);
        w = PutCell(w, kNumberHeading, scratch, tally);
        for (const std::string_view heading : kFieldHeadings) {
            *w++ = ',';
            w = PutCell(w, heading, scratch, tally);
        }
        *w++ = '\r';
        *w++ = '\n';
        return w;
    });
    if (!headed)
        return false;
    for (TableStore::Row r = 0; r < records.RecordCount(); ++r) {
        const std::array<std::string_view, TableStore::kFieldCount> texts = records.RecordTexts(r);
        most = 24 + 2; // the number and the line break
        for (const std::string_view text : texts)
            most += MostCellBytes(text.size());
        const bool written = put(most, [&](char* w) {
            w = std::to_chars(w, w + 24, r + 1).ptr;
            for (const std::string_view text : texts) {
                *w++ = ',';
                w = PutCell(w, text, scratch, tally);
            }
            *w++ = '\r';
            *w++ = '\n';
            return w;
        });
        if (!written)
            return false;
        if (((r + 1) & 4095) == 0)
            progress.ProgressStep(4096);
    }
    progress.ProgressStep(records.RecordCount() & 4095);
    return (used == 0 || std::fwrite(block.data(), 1, used, out) == used) && std::fflush(out) == 0;
}

} // namespace

const CollectionFormat& CsvCollectionFormat() {
    static const CsvFormat format;
    return format;
}

std::vector<std::vector<std::string>> SplitCsvRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    ForEachCsvRow(text, [&](const std::vector<std::string>& fields) { rows.push_back(fields); });
    return rows;
}

void ParseCsvText(std::string_view text, TableStore& into, ExchangeTally& tally) {
    bool utf8 = true;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    else
        utf8 = IsUtf8(text); // else code page 932, as spreadsheets on Japanese systems save it
    // Cell column of each field: from the header when there is one.
    std::vector<int> columns;
    bool first = true;
    std::string cells[5];
    std::string scratch;
    ForEachCsvRow(text, [&](const std::vector<std::string>& fields) {
        if (first) {
            first = false;
            std::vector<int> named;
            bool header = false;
            for (const std::string& f : fields) {
                std::string_view name = f;
                if (!utf8) {
                    scratch = SjisToUtf8Lossy(f);
                    name = scratch;
                }
                named.push_back(HeaderColumn(name));
                header = header || named.back() >= 1;
            }
            if (header) {
                columns = std::move(named);
                return;
            }
        }
        if (fields.size() == 1 && fields[0].empty())
            return; // a blank line
        for (std::string& c : cells)
            c.clear();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            int column;
            if (!columns.empty())
                column = i < columns.size() ? columns[i] : -1;
            else if (fields.size() >= 5)
                column = static_cast<int>(i); // as written: the number first
            else
                column = static_cast<int>(i) + 1;
            if (column < 1 || column > 4)
                continue;
            std::string& cell = cells[column];
            std::string_view field = fields[i];
            if (field.size() > 1 && field.front() == '\'' && NeedsFormulaGuard(field.substr(1)))
                field.remove_prefix(1); // the guard written against formulas
            if (!utf8)
                cell = field;
            else if (column == 2)
                AppendUtf8UrlAsSjis(cell, field, tally.encodedCharacters);
            else
                AppendUtf8AsSjis(cell, field, tally.replacedCharacters);
        }
        into.AppendRecord(cells[1], cells[2], cells[3], cells[4]);
    });
}

} // namespace lh
