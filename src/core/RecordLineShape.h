#pragma once

#include <cstddef>
#include <string_view>

namespace lh {

// A record line exactly as the writer makes it from its cells: "<TR><TD>", digits, then the
// cells between the writer's own tags. Returns where the part after the number starts
// ("</TD><TD>...") and sets `cells` to columns 1..4, which are then exactly those the general
// reader takes from the line, and writing them again gives back the same bytes. npos for any
// other line (`cells` untouched): it needs the general reader. Cheaper than that reader: a few
// byte searches instead of a walk over the markup.
std::size_t SplitWriterShape(std::string_view line, std::string_view (&cells)[4]) noexcept;

} // namespace lh
