#include "CellTexts.h"

#include "util/Codec.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace lh::cli {

namespace {

// Plain ASCII reads the same in code page 932 and in UTF-8, and most cells (addresses, stamps,
// numbers) are nothing else: they go out as they are, without a conversion per cell.
bool IsAscii(std::string_view text) noexcept {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, sizeof w);
        if (w & 0x8080808080808080ull)
            return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

void CellTexts::Prepare(const TableStore& table, TableStore::Row first, TableStore::Row end,
                        int& lossy) {
    m_first = first;
    m_views.assign(static_cast<std::size_t>(end - first) * TableStore::kFieldCount, {});
    m_joined.clear();
    std::vector<std::size_t> joined;
    std::vector<std::size_t> alone;
    for (TableStore::Row r = first; r < end; ++r) {
        for (int f = 0; f < TableStore::kFieldCount; ++f) {
            const std::size_t i = Slot(r, f);
            const std::string_view cell = table.Text(r, f);
            m_views[i] = cell;
            if (IsAscii(cell))
                continue;
            if (cell.find('\0') != std::string_view::npos) {
                alone.push_back(i);
                continue;
            }
            m_joined.append(cell);
            m_joined += '\0';
            joined.push_back(i);
        }
    }
    if (!joined.empty()) {
        if (std::optional<std::string> converted = SjisToUtf8(m_joined)) {
            m_converted = std::move(*converted);
            std::size_t from = 0;
            for (const std::size_t i : joined) {
                const std::size_t nul = m_converted.find('\0', from);
                m_views[i] = std::string_view(m_converted).substr(from, nul - from);
                from = nul + 1;
            }
        } else {
            alone.insert(alone.end(), joined.begin(), joined.end());
        }
    }
    m_alone.clear();
    m_alone.reserve(alone.size()); // the views below point into these strings
    for (const std::size_t i : alone) {
        std::optional<std::string> exact = SjisToUtf8(m_views[i]);
        if (!exact)
            ++lossy;
        m_alone.push_back(exact ? std::move(*exact) : SjisToUtf8Lossy(m_views[i]));
        m_views[i] = m_alone.back();
    }
}

} // namespace lh::cli
