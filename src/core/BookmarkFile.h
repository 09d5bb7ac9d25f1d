#pragma once

// Browser bookmark files: the "NETSCAPE-Bookmark-file-1" page that every browser exports and
// imports, with <DT><A HREF=...> entries in nested <DL> folders, in UTF-8.
//
// Reading: each bookmark becomes a record (name: its title, address: its URL, access: its
// LAST_VISIT or else ADD_DATE in the program's date format, remark: its description when it has
// one, else the folder path such as "ツールバー/ニュース"). "javascript:" and "place:" entries and
// separators are counted and left out; feeds are taken in with their site's address.
// Writing: one folder named after the collection's title holding every record, its remark as
// the description, which is how the reader above gets the same records back.

#include "AccessStampLayout.h"
#include "CollectionFormat.h"
#include "FileInPieces.h"

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

const CollectionFormat& BookmarkCollectionFormat();

// How many threads read a page: Auto takes a second one when a processor is idle. The records
// are the same either way.
enum class BookmarkThreads { Auto, One, Two };

// Appends the bookmarks of `page` (UTF-8; a page that is not UTF-8 but code page 932 is taken as
// such) to `into`.
void ParseBookmarkPage(std::string_view page, TableStore& into, ExchangeTally& tally,
                       BookmarkThreads threads = BookmarkThreads::Auto);

constexpr std::size_t kBookmarkFilePiece = std::size_t{1} << 20;

// Reads the bookmark file opened in `file` (nothing read yet) into `into`, stepping `progress` by
// the bytes read. With two threads the file is read in pieces of `piece` bytes while the first
// ones are tokenized.
bool ReadBookmarkFile(FileInPieces& file, CollectionContent& into, ProgressSink& progress,
                      IoError& error, BookmarkThreads threads = BookmarkThreads::Auto,
                      std::size_t piece = kBookmarkFilePiece);

// The access time the access command would stamp at `t` (cp932).
std::string AccessTextFromTime(std::time_t t);
// The time an access text stands for: a stamp laid out as the locale writes them, or digits in
// the order year, month, day, hour, minute, second with any separators between them. Empty for
// any other text.
std::optional<std::time_t> TimeFromAccessText(std::string_view text);
// The same reading as local date and time fields, without turning them into a time: for ordering
// many stamps, where the fields order like the times.
std::optional<AccessStampLayout::Fields> AccessFieldsFromText(std::string_view text);

} // namespace lh
