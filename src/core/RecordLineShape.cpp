#include "RecordLineShape.h"

#include <cstring>

namespace lh {

namespace {

constexpr std::size_t npos = std::string_view::npos;

constexpr std::string_view kRecordStart = "<TR><TD>";
constexpr std::string_view kAfterNumber = "</TD><TD>";
constexpr std::string_view kAfterName = "</TD><TD><A HREF=\"";
constexpr std::string_view kLinkClose = "\">";
constexpr std::string_view kAfterLinkText = "</A></TD><TD>";
constexpr std::string_view kAfterAccess = "</TD><TD>";
constexpr std::string_view kLineEnd = "</TD>";

bool HasAt(std::string_view t, std::size_t at, std::string_view pattern) noexcept {
    return at <= t.size() && t.size() - at >= pattern.size() &&
           std::memcmp(t.data() + at, pattern.data(), pattern.size()) == 0;
}

std::size_t FindByte(std::string_view t, std::size_t from, char c) noexcept {
    if (from >= t.size())
        return npos;
    const void* hit = std::memchr(t.data() + from, c, t.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - t.data()) : npos;
}

bool HoldsLinkClose(std::string_view t) noexcept {
    for (std::size_t q = FindByte(t, 0, '"'); q != npos; q = FindByte(t, q + 1, '"'))
        if (q + 1 < t.size() && t[q + 1] == '>')
            return true;
    return false;
}

} // namespace

// The reader finds every tag by its first byte, '<' or '"', neither of which is ever the second
// byte of a double-byte character. So a line whose cells hold no '<' at all, whose name holds no
// "\">" and whose address holds no quote and does not begin with '>' is cut by the reader exactly
// at the writer's tags, and writing its cells again gives back the same bytes. Anything else
// (other spacing, other tags, a NUL, which ends the reader's text) takes the full parse.
std::size_t SplitWriterShape(std::string_view line, std::string_view (&cells)[4]) noexcept {
    if (!HasAt(line, 0, kRecordStart) || FindByte(line, 0, '\0') != npos)
        return npos;
    std::size_t tail = kRecordStart.size();
    while (tail < line.size() && line[tail] >= '0' && line[tail] <= '9')
        ++tail;
    if (!HasAt(line, tail, kAfterNumber))
        return npos;

    const std::size_t name = tail + kAfterNumber.size();
    const std::size_t nameEnd = FindByte(line, name, '<');
    if (nameEnd == npos || HoldsLinkClose(line.substr(name, nameEnd - name)) ||
        !HasAt(line, nameEnd, kAfterName))
        return npos;

    const std::size_t address = nameEnd + kAfterName.size();
    const std::size_t addressEnd = FindByte(line, address, '"');
    if (addressEnd == npos)
        return npos;
    const std::string_view link = line.substr(address, addressEnd - address);
    if ((!link.empty() && link.front() == '>') || link.find('<') != npos ||
        !HasAt(line, addressEnd, kLinkClose) ||
        !HasAt(line, addressEnd + kLinkClose.size(), link) ||
        !HasAt(line, addressEnd + kLinkClose.size() + link.size(), kAfterLinkText))
        return npos;

    const std::size_t access = addressEnd + kLinkClose.size() + link.size() + kAfterLinkText.size();
    const std::size_t accessEnd = FindByte(line, access, '<');
    if (accessEnd == npos || !HasAt(line, accessEnd, kAfterAccess))
        return npos;
    const std::size_t remark = accessEnd + kAfterAccess.size();
    const std::size_t remarkEnd = FindByte(line, remark, '<');
    if (remarkEnd == npos || remarkEnd + kLineEnd.size() != line.size() ||
        !HasAt(line, remarkEnd, kLineEnd))
        return npos;
    cells[0] = line.substr(name, nameEnd - name);
    cells[1] = link;
    cells[2] = line.substr(access, accessEnd - access);
    cells[3] = line.substr(remark, remarkEnd - remark);
    return tail;
}

} // namespace lh
