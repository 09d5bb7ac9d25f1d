#include "DroppedLinks.h"

#include "RecordsAddedStep.h"
#include "util/Codec.h"

#include <memory>
#include <optional>

namespace lh {

namespace {

// The lines of `text`, each without its CR.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (lf == std::string_view::npos)
            break;
        text.remove_prefix(lf + 1);
    }
    return lines;
}

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "scheme:rest" with a scheme of letters, digits, "+", "-" and "." and no blank or control
// character anywhere.
bool LooksLikeAddress(std::string_view s) {
    const std::size_t colon = s.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon + 1 == s.size())
        return false;
    const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    if (!letter(s[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = s[i];
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    for (const char c : s)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    return true;
}

} // namespace

std::vector<DroppedLink> ParseMozUrl(std::string_view text) {
    std::vector<DroppedLink> links;
    const std::vector<std::string_view> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        const std::string_view address = Trimmed(lines[i]);
        if (!LooksLikeAddress(address))
            continue;
        const std::string_view title = i + 1 < lines.size() ? Trimmed(lines[i + 1]) : "";
        // A browser gives the address again as the title when the link has none.
        links.push_back({std::string(address), title == address ? "" : std::string(title)});
    }
    return links;
}

std::vector<DroppedLink> ParseUriList(std::string_view text) {
    std::vector<DroppedLink> links;
    for (const std::string_view line : Lines(text)) {
        const std::string_view address = Trimmed(line);
        if (!address.empty() && address.front() != '#' && LooksLikeAddress(address))
            links.push_back({std::string(address), {}});
    }
    return links;
}

std::vector<DroppedLink> ParsePlainTextLink(std::string_view text) {
    const std::string_view address = Trimmed(text);
    if (!LooksLikeAddress(address))
        return {};
    return {{std::string(address), {}}};
}

DropResult AddDroppedLink(Document& document, const DroppedLink& link) {
    const std::optional<std::string> address = Utf8ToSjis(link.address);
    if (!address || address->empty())
        return DropResult::NotStorable;
    TableStore& table = document.Table();
    if (table.HoldsAddress(*address, TableStore::AddressHash(*address)))
        return DropResult::AlreadyHeld;
    const std::optional<std::string> name = Utf8ToSjis(link.title);
    const TableStore::Row record = table.RecordCount();
    table.AppendRecord(name ? *name : std::string_view(), *address, {}, {});
    document.RecordStep(std::make_unique<RecordsAddedStep>(kDropStepName, record, 1));
    return name ? DropResult::Added : DropResult::AddedNoName;
}

std::string DropResultText(DropResult result, const DroppedLink& link) {
    switch (result) {
    case DropResult::Added:
        return link.address + " を追加しました。";
    case DropResult::AddedNoName:
        return link.address +
               " を追加しました。名前には Shift_JIS で表せない文字があるため空のままです。";
    case DropResult::AlreadyHeld:
        return link.address + " はすでに登録されています。";
    case DropResult::NotStorable:
        return link.address + " には Shift_JIS で表せない文字があるため追加できません。";
    }
    return {};
}

} // namespace lh
