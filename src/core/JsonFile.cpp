#include "JsonFile.h"

#include "util/Cp932Fit.h"

#include <array>
#include <cstdio>
#include <vector>

namespace lh {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A strict reader of the little JSON a record list needs, without recursion: nested values
// inside a record are stepped over by counting brackets, so no depth can exhaust the stack.
class JsonRecordReader {
public:
    explicit JsonRecordReader(std::string_view text) : m_s(text) {}

    using Fields = std::array<std::string, 4>; // name, address, access, remark (UTF-8)

    bool Read(std::vector<Fields>& records) {
        SkipSpace();
        if (!Take('['))
            return false;
        SkipSpace();
        if (Take(']'))
            return AtEnd();
        for (;;) {
            SkipSpace();
            Fields fields;
            if (!ReadObject(fields))
                return false;
            records.push_back(std::move(fields));
            SkipSpace();
            if (Take(']'))
                return AtEnd();
            if (!Take(','))
                return false;
        }
    }

private:
    bool AtEnd() {
        SkipSpace();
        return m_i == m_s.size();
    }

    void SkipSpace() {
        while (m_i < m_s.size() &&
               (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }

    bool Take(char c) {
        if (m_i < m_s.size() && m_s[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }

    static int FieldOf(std::string_view key) {
        if (key == "name" || key == "title")
            return 0;
        if (key == "address" || key == "url" || key == "href")
            return 1;
        if (key == "access")
            return 2;
        if (key == "remark" || key == "note" || key == "description")
            return 3;
        return -1;
    }

    bool ReadObject(Fields& fields) {
        if (!Take('{'))
            return false;
        SkipSpace();
        if (Take('}'))
            return true;
        std::string key;
        for (;;) {
            SkipSpace();
            key.clear();
            if (!ReadString(key))
                return false;
            SkipSpace();
            if (!Take(':'))
                return false;
            SkipSpace();
            const int field = FieldOf(key);
            std::string scratch;
            if (!ReadValue(field >= 0 ? fields[static_cast<std::size_t>(field)] : scratch))
                return false;
            SkipSpace();
            if (Take('}'))
                return true;
            if (!Take(','))
                return false;
        }
    }

    // A string gives its text, a number or literal its spelling, null nothing; an array or
    // object is stepped over.
    bool ReadValue(std::string& out) {
        if (m_i >= m_s.size())
            return false;
        const char c = m_s[m_i];
        if (c == '"')
            return ReadString(out);
        if (c == '[' || c == '{')
            return SkipNested();
        const std::size_t from = m_i;
        while (m_i < m_s.size() && m_s[m_i] != ',' && m_s[m_i] != '}' && m_s[m_i] != ']' &&
               m_s[m_i] != ' ' && m_s[m_i] != '\n' && m_s[m_i] != '\r' && m_s[m_i] != '\t')
            ++m_i;
        const std::string_view word = m_s.substr(from, m_i - from);
        if (word == "null")
            return true;
        if (word == "true" || word == "false") {
            out = word;
            return true;
        }
        if (word.empty())
            return false;
        for (const char d : word)
            if (!((d >= '0' && d <= '9') || d == '-' || d == '+' || d == '.' || d == 'e' ||
                  d == 'E'))
                return false;
        out = word;
        return true;
    }

    bool SkipNested() {
        std::size_t depth = 0;
        while (m_i < m_s.size()) {
            const char c = m_s[m_i];
            if (c == '"') {
                std::string ignored;
                if (!ReadString(ignored))
                    return false;
                continue;
            }
            ++m_i;
            if (c == '[' || c == '{') {
                ++depth;
            } else if (c == ']' || c == '}') {
                if (--depth == 0)
                    return true;
            }
        }
        return false;
    }

    bool Hex4(std::uint32_t& value) {
        if (m_i + 4 > m_s.size())
            return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_s[m_i++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool ReadString(std::string& out) {
        if (!Take('"'))
            return false;
        for (;;) {
            const std::size_t stop = m_s.find_first_of("\"\\", m_i);
            if (stop == std::string_view::npos)
                return false;
            out.append(m_s.substr(m_i, stop - m_i));
            m_i = stop + 1;
            if (m_s[stop] == '"')
                return true;
            if (m_i >= m_s.size())
                return false;
            const char e = m_s[m_i++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = 0;
                if (!Hex4(cp))
                    return false;
                if (cp >= 0xD800 && cp <= 0xDBFF && m_i + 1 < m_s.size() && m_s[m_i] == '\\' &&
                    m_s[m_i + 1] == 'u') {
                    const std::size_t back = m_i;
                    m_i += 2;
                    std::uint32_t low = 0;
                    if (Hex4(low) && low >= 0xDC00 && low <= 0xDFFF)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    else
                        m_i = back;
                }
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    cp = 0xFFFD; // half a pair names no character
                AppendUtf8Char(out, cp);
                break;
            }
            default:
                return false;
            }
        }
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

class JsonFormat final : public CollectionFormat {
public:
    std::string_view Name() const noexcept override { return "json"; }

    bool Read(const std::string& path, CollectionContent& into, ProgressSink& progress,
              IoError& error) const override {
        FileBytes text;
        if (!ReadWholeFile(path, text, progress, error))
            return false;
        into.summary.fileBytes = static_cast<std::int64_t>(text.Size());
        if (!ParseJsonRecords(text, into.records, into.tally)) {
            error = {IoErrorKind::NotThisFormat, path};
            return false;
        }
        return true;
    }

    bool Write(std::FILE* out, const TableStore& records, const std::string& title,
               ProgressSink& progress, ExchangeTally& tally) const override;
};

void AppendJsonString(std::string& out, std::string_view sjis, std::string& scratch,
                      ExchangeTally& tally) {
    scratch.clear();
    AppendSjisAsUtf8(scratch, sjis, tally.lossyCharacters);
    out += '"';
    for (const char c : scratch) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
}

bool JsonFormat::Write(std::FILE* out, const TableStore& records, const std::string&,
                       ProgressSink& progress, ExchangeTally& tally) const {
    static constexpr const char* kKeys[TableStore::kFieldCount] = {"name", "address", "access",
                                                                   "remark"};
    BlockWriter writer(out);
    std::string& b = writer.Buffer();
    std::string scratch;
    b += records.RecordCount() == 0 ? "[" : "[\n";
    for (TableStore::Row r = 0; r < records.RecordCount(); ++r) {
        b += "  {\"no\": " + std::to_string(r + 1);
        for (int f = 0; f < TableStore::kFieldCount; ++f) {
            b += ", \"";
            b += kKeys[f];
            b += "\": ";
            AppendJsonString(b, records.Text(r, f), scratch, tally);
        }
        b += r + 1 < records.RecordCount() ? "},\n" : "}\n";
        if (((r + 1) & 4095) == 0)
            progress.ProgressStep(4096);
        if (!writer.Pump())
            return false;
    }
    progress.ProgressStep(records.RecordCount() & 4095);
    b += "]\n";
    return writer.Flush() && std::fflush(out) == 0;
}

} // namespace

const CollectionFormat& JsonCollectionFormat() {
    static const JsonFormat format;
    return format;
}

bool ParseJsonRecords(std::string_view text, TableStore& into, ExchangeTally& tally) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    std::vector<JsonRecordReader::Fields> records;
    if (!JsonRecordReader(text).Read(records))
        return false;
    std::string cells[4];
    for (const JsonRecordReader::Fields& f : records) {
        for (std::string& c : cells)
            c.clear();
        AppendUtf8AsSjis(cells[0], f[0], tally.replacedCharacters);
        AppendUtf8UrlAsSjis(cells[1], f[1], tally.encodedCharacters);
        AppendUtf8AsSjis(cells[2], f[2], tally.replacedCharacters);
        AppendUtf8AsSjis(cells[3], f[3], tally.replacedCharacters);
        into.AppendRecord(cells[0], cells[1], cells[2], cells[3]);
    }
    return true;
}

} // namespace lh
