#include "ViewOrder.h"

#include "EightBytes.h"
#include "FoldedText.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <tuple>

namespace lh {

namespace {

using eight::FoldEightAscii;
using eight::InByteOrder;
using eight::kHighBits;
using eight::kOnes;
using eight::Load8;

// Sorting entries of 16 bytes keeps a million of them in a few cache-friendly megabytes.
using RecordIndex = std::uint32_t;

RecordIndex CheckedCount(std::size_t count) {
    if (count > std::numeric_limits<RecordIndex>::max())
        throw std::length_error("too many records to sort");
    return static_cast<RecordIndex>(count);
}

std::vector<std::size_t> Indexes(const auto& entries) {
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].record;
    return order;
}

// Text columns: a most-significant-first string sort, eight folded bytes at a time. Each pass
// sorts small fixed-size entries by the next eight bytes, then sorts again only the groups that
// still agree. Addresses share long beginnings ("HTTP://WWW."), which a plain comparison sort
// would walk again at every comparison, touching two scattered texts each time.
struct TextEntry {
    std::uint64_t chunk; // the folded bytes from the group's depth on, as a number, zero-padded
    RecordIndex record;  // also the tie-break that makes the order stable
    std::uint8_t length; // bytes left from the depth, 9 standing for "more than eight"
    bool secondHalf;     // the byte at the depth is the second byte of a double-byte character
};

// Fills the entry's chunk and length at `depth`, and leaves in secondHalf what holds for the
// byte at depth + 8, so the next pass folds from there without walking from the start.
void LoadChunk(TextEntry& e, std::string_view text, std::size_t depth) noexcept {
    const std::size_t n = text.size();
    const std::size_t left = depth < n ? n - depth : 0;
    e.length = static_cast<std::uint8_t>(std::min<std::size_t>(left, 9));
    const char* p = text.data() + depth;
    if (left >= 8 && !e.secondHalf && (Load8(p) & kHighBits) == 0) {
        // Eight one-byte characters: fold them at once.
        e.chunk = InByteOrder(FoldEightAscii(Load8(p)));
        return;
    }
    const std::size_t take = std::min<std::size_t>(left, 8);
    std::uint64_t chunk = 0;
    bool second = e.secondHalf;
    for (std::size_t k = 0; k < take; ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        unsigned char folded = c;
        if (second) {
            second = false;
        } else if (IsSjisLeadByte(c) && depth + k + 1 < n &&
                   IsSjisTrailByte(static_cast<unsigned char>(p[k + 1]))) {
            second = true;
        } else {
            folded = FoldAsciiLetter(c);
        }
        chunk = (chunk << 8) | folded;
    }
    e.chunk = take == 8 ? chunk : (take == 0 ? 0 : chunk << (8 * (8 - take)));
    e.secondHalf = second;
}

void SortText(std::vector<TextEntry>& entries, const RecordCells& cells, GridColumn column,
              bool ascending) {
    const auto before = [ascending](const TextEntry& a, const TextEntry& b) {
        if (a.chunk != b.chunk)
            return (a.chunk < b.chunk) == ascending;
        if (a.length != b.length)
            return (a.length < b.length) == ascending;
        return a.record < b.record;
    };
    struct Group {
        std::size_t first, last, depth;
    };
    std::vector<Group> pending{{0, entries.size(), 0}};
    // A work list rather than recursion: a thousand records alike over a long text would
    // otherwise nest as deep as the text is long.
    while (!pending.empty()) {
        const Group g = pending.back();
        pending.pop_back();
        const auto first = entries.begin() + static_cast<std::ptrdiff_t>(g.first);
        const auto last = entries.begin() + static_cast<std::ptrdiff_t>(g.last);
        if (g.last - g.first < 2)
            continue;
        bool allAlike = true;
        for (auto it = first; it != last; ++it) {
            LoadChunk(*it, cells.Cell(it->record, column), g.depth);
            allAlike = allAlike && it->chunk == first->chunk && it->length == first->length;
        }
        // A group arrives in record order; when these bytes tell none of it apart (every
        // address begins "HTTP://W"), that order stands and sorting would only confirm it.
        if (!allAlike)
            std::sort(first, last, before);
        for (std::size_t i = g.first; i < g.last;) {
            std::size_t j = i + 1;
            while (j < g.last && entries[j].chunk == entries[i].chunk &&
                   entries[j].length == entries[i].length)
                ++j;
            // Texts that agree so far and go on past these eight bytes are told apart further on.
            if (j - i > 1 && entries[i].length == 9)
                pending.push_back({i, j, g.depth + 8});
            i = j;
        }
    }
}

// The access column: the fields as one number that orders like the times (no time zone needed,
// and a million stamps are not each turned into a time).
struct TimeEntry {
    std::int64_t when;
    RecordIndex record;
    bool readable;
};

std::int64_t TimeKey(const AccessStampLayout::Fields& f) noexcept {
    // Two decimal places per field after the year; a reader never gives more, and clamping
    // keeps any other reader's numbers from overflowing.
    std::int64_t key = std::clamp(f[0], 0, 99999);
    for (std::size_t i = 1; i < f.size(); ++i)
        key = key * 100 + std::clamp(f[i], 0, 99);
    return key;
}

} // namespace

std::vector<std::size_t> SortedRecordOrder(const RecordCells& cells, GridColumn column,
                                           SortDirection direction,
                                           const AccessStampReader& readStamp) {
    const RecordIndex count = CheckedCount(cells.Count());
    const bool ascending = direction == SortDirection::Ascending;
    if (column == GridColumn::Number) {
        std::vector<std::size_t> order(count);
        for (RecordIndex r = 0; r < count; ++r)
            order[r] = ascending ? r : count - 1 - r;
        return order;
    }
    if (column == GridColumn::Access) {
        std::vector<TimeEntry> entries(count);
        for (RecordIndex r = 0; r < count; ++r) {
            const std::string_view stamp = cells.Cell(r, column);
            std::optional<AccessStampLayout::Fields> fields;
            if (!stamp.empty() && readStamp)
                fields = readStamp(stamp);
            entries[r] = {fields ? TimeKey(*fields) : 0, r, fields.has_value()};
        }
        std::sort(entries.begin(), entries.end(),
                  [ascending](const TimeEntry& a, const TimeEntry& b) {
                      if (a.readable != b.readable)
                          return a.readable;
                      if (a.when != b.when)
                          return (a.when < b.when) == ascending;
                      return a.record < b.record;
                  });
        return Indexes(entries);
    }
    std::vector<TextEntry> entries(count);
    for (RecordIndex r = 0; r < count; ++r)
        entries[r] = {0, r, 0, false};
    SortText(entries, cells, column, ascending);
    return Indexes(entries);
}

} // namespace lh
