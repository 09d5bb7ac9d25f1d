#pragma once

// Conversion of scanned files into code page 932, the text the scanners read, through the
// platform's own converter (iconv on Linux, the code-page calls on Windows). A file is converted
// piece by piece as it is read, so its size never matters.

#include <cstddef>
#include <memory>

namespace lh::platform {

// The encodings a scanned file may be in.
enum class Charset { Cp932, Utf8, Utf16Le, Utf16Be, EucJp, Iso2022Jp };

class ToCp932Converter {
public:
    struct Step {
        std::size_t consumed = 0; // input bytes used up
        std::size_t produced = 0; // code page 932 bytes written
    };

    // Empty when the platform cannot convert from `from` (or `from` is Cp932 itself). Every
    // character that code page 932 cannot hold, and every byte sequence that does not decode,
    // comes out as the single byte `substitute`.
    static std::unique_ptr<ToCp932Converter> Open(Charset from, char substitute);

    virtual ~ToCp932Converter() = default;
    ToCp932Converter() = default;
    ToCp932Converter(const ToCp932Converter&) = delete;
    ToCp932Converter& operator=(const ToCp932Converter&) = delete;

    // Converts whole characters from `in` into `out`. Stops when `out` is full or only the
    // beginning of a character is left; with `last` (no more input will come) such a remnant is
    // converted as undecodable. `outSize` must be at least kMinOutput. The output is never longer
    // than the input it came from.
    virtual Step Convert(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                         bool last) = 0;

    static constexpr std::size_t kMinOutput = 16;
};

} // namespace lh::platform
