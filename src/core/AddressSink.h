#pragma once

// Receives what an address scanner finds, in the order the addresses occur in the file.

#include <cstdint>
#include <string_view>

namespace lh {

class AddressSink {
public:
    virtual ~AddressSink() = default;
    // `address` is the text as written in the file (cp932), valid only during the call.
    virtual void Found(std::string_view address) = 0;
    // An address longer than AddressScanner::kMaxAddressBytes was passed over.
    virtual void TooLong(std::uint64_t /*bytes*/) {}
};

} // namespace lh
