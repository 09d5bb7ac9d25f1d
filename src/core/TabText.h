#pragma once

// Tab-separated text as spreadsheets exchange it through the clipboard: fields split by tabs,
// rows by line breaks (CR LF, LF or CR). A field that holds a tab or a line break, or begins
// with a double quote, is quoted with double quotes, a quote inside doubled. The routines work
// on bytes and see only tabs, line breaks and quotes, which never occur inside a double-byte
// character of code page 932 or a multi-byte one of UTF-8, so either text passes unchanged.

#include <string>
#include <string_view>
#include <vector>

namespace lh {

using TabRow = std::vector<std::string>;

// The rows of `text`, each with at least one field; a line break at the very end makes no
// further row, and an empty line is a row with one empty field. A quoted field may span line
// breaks; a quote that is never closed stands for itself. One pass over the text.
std::vector<TabRow> ParseTabText(std::string_view text);

// The rows joined by tabs and line feeds (no line feed after the last row), each field quoted
// when it needs to be, so ParseTabText gives the rows back.
std::string FormatTabText(const std::vector<TabRow>& rows);

} // namespace lh
