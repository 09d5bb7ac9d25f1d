#pragma once

// Links dragged from a browser onto the window: what the drag carries, read into addresses and
// titles, and each one made a record after the last one.

#include "Document.h"

#include <string>
#include <string_view>
#include <vector>

namespace lh {

// UTF-8, as the drag carries it; the title may be empty.
struct DroppedLink {
    std::string address;
    std::string title;
};

// "text/x-moz-url": an address line followed by a title line, for each link.
std::vector<DroppedLink> ParseMozUrl(std::string_view text);
// "text/uri-list": one address a line; lines beginning with "#" are comments.
std::vector<DroppedLink> ParseUriList(std::string_view text);
// Plain text: taken when it is one address ("scheme:" and no blanks), else nothing.
std::vector<DroppedLink> ParsePlainTextLink(std::string_view text);

enum class DropResult {
    Added,       // a new record holds it
    AddedNoName, // added, but the title has characters code page 932 cannot hold
    AlreadyHeld, // the table holds the address: nothing added, as for a scan
    NotStorable, // the address has characters code page 932 cannot hold: nothing added
};

// Name of the undo step of a drop (UTF-8).
inline constexpr const char* kDropStepName = "ドロップ";

// Appends `link` as a record (name = title, address) unless the table holds its address, as one
// undo step.
DropResult AddDroppedLink(Document& document, const DroppedLink& link);

// The status-bar text for one result (UTF-8).
std::string DropResultText(DropResult result, const DroppedLink& link);

} // namespace lh
