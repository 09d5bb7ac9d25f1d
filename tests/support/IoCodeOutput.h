#pragma once

// Test failures name an I/O outcome by kind (and system number) instead of by its bytes.

#include "platform/IoCode.h"

#include <ostream>

namespace lh {

inline std::ostream& operator<<(std::ostream& out, IoCode code) {
    out << "IoErrorKind " << static_cast<int>(code.kind);
    if (code.kind == IoErrorKind::Other)
        out << " (system " << code.systemCode << ")";
    return out;
}

} // namespace lh
