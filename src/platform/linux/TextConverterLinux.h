#pragma once

#include "Utf8MixedBlocks.h"
#include "platform/TextConverter.h"

#include <memory>

namespace lh::platform {

// The converter Open gives for UTF-8 and UTF-16, its fast path at most at `vectors` (and no higher
// than the processor runs): every level must give the same bytes. Empty for other encodings.
std::unique_ptr<ToCp932Converter> OpenUnicodeToCp932(Charset from, char substitute,
                                                     VectorLevel vectors);

} // namespace lh::platform
