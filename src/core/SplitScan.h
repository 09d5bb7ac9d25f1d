#pragma once

// A scan that shares the scanning between two threads. A reader thread reads the file in blocks
// cut after their last line break (CR or LF: neither is ever part of an address, nor the second
// byte of a character, so the text after one is scanned alike whatever came before it). Each
// block is scanned by whichever thread is free, the reader or the calling thread, and the
// calling thread settles what was found block by block in file order.
//
// What is settled is exactly what one scanner reading the whole file would report:
// - a block without any line break continues the line of the block before; such blocks are
//   scanned by the reader alone, in order, carrying the scanner's state as a single scan would;
// - the line after an LF may have had a NUL before it (the rest of such a line is not searched);
//   a block is scanned as if it had not, and the finds up to its first line end are dropped
//   when it had, which is known once the blocks before it are settled.
//
// Memory stays fixed for any input: a few blocks, and found addresses up to a budget while the
// calling thread is busy elsewhere.

#include "AddressBatch.h"
#include "AddressScanner.h"
#include "platform/IoCode.h"
#include "util/TextEncoding.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace lh {

class SplitScan {
public:
    using MakeScanner = std::function<std::unique_ptr<AddressScanner>(AddressSink&)>;
    // Takes the finds of one block, in file order; the batch's progress is the block's.
    using Settle = std::function<void(AddressBatch&)>;

    struct Sizes {
        std::size_t blockBytes = std::size_t{512} << 10;
        std::size_t blocks = 4;
        // A line across blocks is scanned by the reader alone, and its finds handed on in
        // pieces of this size.
        std::size_t pieceBytes = std::size_t{64} << 10;
        // Found addresses held unsettled at most while `prepare` runs, and once it has returned
        // (one piece's finds may go past either). Past the first, the finds would be out of the
        // cache when they are settled.
        std::size_t aheadBytes = std::size_t{32} << 20;
        std::size_t settlingAheadBytes = std::size_t{2} << 20;
    };

    struct ReadResult {
        bool ok = true;   // false: the file could not be opened or read to its end
        IoCode errorCode; // why, when !ok
        Charset encoding = Charset::Cp932;
    };

    enum class Run { NotStarted, NotPrepared, Done };

    // Every find is settled as `prefix` + the text found.
    SplitScan(MakeScanner makeScanner, std::string prefix, Sizes sizes);
    ~SplitScan();
    SplitScan(const SplitScan&) = delete;
    SplitScan& operator=(const SplitScan&) = delete;

    // Reads `path` (a regular file, or a pipe when `acceptStream`) as `encoding`. `prepare` runs
    // on this thread first while the reader has started; nothing is settled before it returns.
    // NotStarted when no thread could be started (nothing has been read); NotPrepared when
    // `prepare` answered false.
    Run ScanFile(const std::string& path, EncodingChoice encoding, bool acceptStream,
                 const std::function<bool()>& prepare, const Settle& settle, ReadResult& result);

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

} // namespace lh
