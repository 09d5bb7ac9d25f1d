// The collection reader on any file: what it reads, written by the program and read again,
// gives the same title and records. Cells that hold the page's own markup are left out of the
// comparison, since the page format writes cells as they are. The shortcut for lines in the
// writer's own shape takes the cells the general reader takes.

#include "FuzzCheck.h"
#include "core/CollectionFile.h"
#include "core/IoError.h"
#include "core/LineReader.h"
#include "core/RecordLineShape.h"
#include "core/TableStore.h"
#include "core/UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace lh;

namespace {

std::string ScratchPath(const char* what) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/linkhive-fuzz-" + std::to_string(getpid()) + "-" + what + ".htm";
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The markup the reader looks for: a cell holding one of these cannot come back unchanged.
bool HoldsMarkup(std::string_view cell) {
    for (const std::string_view tag : {"<TD>", "</TD>", "<A HREF=\"", "\">"})
        if (cell.find(tag) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = ScratchPath("in");
    static const std::string output = ScratchPath("out");
    NullProgress progress;
    IoError error;
    if (!WriteBytes(input, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    LineReader lines;
    if (lines.Open(input)) {
        std::string_view line;
        std::string_view cells[4];
        std::string_view general[4];
        while (lines.Next(line)) {
            if (SplitWriterShape(line, cells) == std::string_view::npos)
                continue;
            LH_FUZZ_CHECK(ParseRecordLineByMarkup(line, general));
            for (int i = 0; i < 4; ++i)
                LH_FUZZ_CHECK(cells[i] == general[i]);
        }
    }

    TableStore first;
    std::string title = "Linkhive";
    if (!ReadCollection(input, first, title, progress, error))
        return 0; // a line too long to hold is refused, not misread

    std::FILE* out = std::fopen(output.c_str(), "wb");
    if (!out)
        return 0;
    const bool written = WriteCollection(out, first, title, "2026/12/07(Mon) 09:05:08", progress);
    LH_FUZZ_CHECK(std::fclose(out) == 0 && written);

    TableStore second;
    std::string titleAgain = "Linkhive";
    LH_FUZZ_CHECK(ReadCollection(output, second, titleAgain, progress, error));
    LH_FUZZ_CHECK(titleAgain == title);
    LH_FUZZ_CHECK(second.RecordCount() == first.RecordCount());
    for (TableStore::Row r = 0; r < first.RecordCount(); ++r) {
        bool markup = false;
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            markup = markup || HoldsMarkup(first.Text(r, f));
        // An address that begins with '>' meets the link's opening quote as its closing '">':
        // the page format cannot carry it, and nothing the program finds in a scan begins so.
        markup = markup || first.Text(r, TableStore::kAddress).starts_with('>');
        if (markup)
            continue;
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            LH_FUZZ_CHECK(second.Text(r, f) == first.Text(r, f));
    }
    return 0;
}
