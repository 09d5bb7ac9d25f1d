#include "platform/TextConverter.h"

#define WIN32_LEAN_AND_MEAN
#include <string>
#include <windows.h>

namespace lh::platform {

namespace {

constexpr UINT kCp932 = 932;
constexpr UINT kUtf8 = 65001;
constexpr UINT kEucJp = 20932;
constexpr UINT kIso2022Jp = 50220;
constexpr char kEscape = 0x1B;

// The code-page calls keep no state between calls, so each piece must hold whole characters;
// for ISO-2022-JP the shift in force at the start of a piece is sent again in front of it.
class WindowsToCp932 final : public ToCp932Converter {
public:
    WindowsToCp932(Charset from, char substitute) : m_from(from) { m_substitute[0] = substitute; }

    Step Convert(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                 bool last) override {
        // The output is never longer than the input, so this much input always fits.
        const std::size_t take = inSize < outSize ? inSize : outSize;
        std::size_t whole = WholeCharacters(in, take);
        if (last && take == inSize)
            whole = take;
        if (whole == 0)
            return {};
        std::wstring wide;
        Decode(in, whole, wide);
        int produced = 0;
        if (!wide.empty()) {
            BOOL usedDefault = FALSE;
            produced = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                             static_cast<int>(wide.size()), out,
                                             static_cast<int>(outSize), m_substitute, &usedDefault);
            if (produced < 0)
                produced = 0;
        }
        return {whole, static_cast<std::size_t>(produced)};
    }

private:
    void Decode(const char* in, std::size_t n, std::wstring& wide) {
        switch (m_from) {
        case Charset::Utf16Le:
        case Charset::Utf16Be: {
            const bool big = m_from == Charset::Utf16Be;
            wide.resize(n / 2);
            for (std::size_t k = 0; k + 1 < n; k += 2) {
                const auto a = static_cast<unsigned char>(in[k]);
                const auto b = static_cast<unsigned char>(in[k + 1]);
                wide[k / 2] = static_cast<wchar_t>(big ? (a << 8 | b) : (b << 8 | a));
            }
            if (n % 2 != 0)
                wide.push_back(L'\xFFFD');
            return;
        }
        case Charset::Iso2022Jp: {
            std::string piece = m_shift;
            piece.append(in, n);
            NoteShift(in, n);
            ToWide(kIso2022Jp, piece.data(), piece.size(), wide);
            return;
        }
        case Charset::Utf8:
            ToWide(kUtf8, in, n, wide);
            return;
        case Charset::EucJp:
            ToWide(kEucJp, in, n, wide);
            return;
        case Charset::Cp932:
            break;
        }
    }

    static void ToWide(UINT cp, const char* in, std::size_t n, std::wstring& wide) {
        const int size = ::MultiByteToWideChar(cp, 0, in, static_cast<int>(n), nullptr, 0);
        if (size <= 0) {
            wide.assign(1, L'\xFFFD');
            return;
        }
        wide.resize(static_cast<std::size_t>(size));
        ::MultiByteToWideChar(cp, 0, in, static_cast<int>(n), wide.data(), size);
    }

    // Remembers the last escape sequence of [in, in + n) as the shift in force after it.
    void NoteShift(const char* in, std::size_t n) {
        for (std::size_t k = n; k-- > 0;) {
            if (in[k] != kEscape)
                continue;
            const std::size_t len =
                (k + 1 < n && in[k + 1] == '$' && k + 2 < n && in[k + 2] == '(') ? 4 : 3;
            m_shift.assign(in + k, k + len <= n ? len : n - k);
            return;
        }
    }

    // The longest prefix of the n bytes at `in` that ends between two characters.
    std::size_t WholeCharacters(const char* in, std::size_t n) const {
        const auto at = [in](std::size_t k) { return static_cast<unsigned char>(in[k]); };
        switch (m_from) {
        case Charset::Utf8: {
            std::size_t k = n;
            for (std::size_t back = 0; back < 4 && k > 0; ++back) {
                const unsigned char b = at(k - 1);
                if ((b & 0xC0) != 0x80) {
                    const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
                    return n - (k - 1) >= len ? n : k - 1;
                }
                --k;
            }
            return n;
        }
        case Charset::Utf16Le:
        case Charset::Utf16Be: {
            std::size_t k = n - n % 2;
            if (k >= 2) {
                const unsigned char high = m_from == Charset::Utf16Le ? at(k - 1) : at(k - 2);
                if ((high & 0xFC) == 0xD8)
                    k -= 2; // a surrogate pair is one character
            }
            return k;
        }
        case Charset::EucJp: {
            std::size_t k = 0;
            for (;;) {
                const unsigned char b = k < n ? at(k) : 0;
                const std::size_t len = b == 0x8F ? 3 : (b == 0x8E || b >= 0xA1) ? 2 : 1;
                if (k >= n || k + len > n)
                    return k;
                k += len;
            }
        }
        case Charset::Iso2022Jp: {
            bool twoByte = m_shift.size() > 1 && m_shift[1] == '$';
            std::size_t k = 0;
            for (;;) {
                if (k >= n)
                    return k;
                std::size_t len = 1;
                if (in[k] == kEscape) {
                    len = (k + 2 < n && in[k + 1] == '$' && in[k + 2] == '(') ? 4 : 3;
                    if (k + len > n)
                        return k;
                    twoByte = in[k + 1] == '$';
                } else if (twoByte && at(k) >= 0x21 && at(k) <= 0x7E) {
                    len = 2;
                }
                if (k + len > n)
                    return k;
                k += len;
            }
        }
        case Charset::Cp932:
            break;
        }
        return n;
    }

    Charset m_from;
    char m_substitute[2] = {' ', '\0'};
    std::string m_shift; // ISO-2022-JP: the escape sequence in force at the next piece
};

} // namespace

std::unique_ptr<ToCp932Converter> ToCp932Converter::Open(Charset from, char substitute) {
    if (from == Charset::Cp932)
        return nullptr;
    if (from == Charset::Utf8 || from == Charset::EucJp || from == Charset::Iso2022Jp) {
        const UINT cp = from == Charset::Utf8    ? kUtf8
                        : from == Charset::EucJp ? kEucJp
                                                 : kIso2022Jp;
        if (!::IsValidCodePage(cp))
            return nullptr;
    }
    return std::make_unique<WindowsToCp932>(from, substitute);
}

} // namespace lh::platform
