#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace lh {

// Accumulates a page in large pieces before handing it to the stream, so the writer pays for a
// few large writes instead of one per line. After a failed write everything is dropped and
// Ok() stays false.
class PageBuffer {
public:
    explicit PageBuffer(std::FILE* out) : m_out(out) { m_buf.reserve(kSize + 4096); }
    void Put(std::string_view s) {
        if (m_buf.size() + s.size() > kSize && !Flush())
            return;
        if (s.size() > kSize) {
            m_ok = m_ok && std::fwrite(s.data(), 1, s.size(), m_out) == s.size();
            return;
        }
        m_buf.append(s);
    }
    void Number(std::int64_t v) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, v);
        Put(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
    }
    bool Flush() {
        if (m_ok && !m_buf.empty())
            m_ok = std::fwrite(m_buf.data(), 1, m_buf.size(), m_out) == m_buf.size();
        m_buf.clear();
        return m_ok;
    }
    bool Ok() const noexcept { return m_ok; }

private:
    static constexpr std::size_t kSize = std::size_t{1} << 20;
    std::FILE* m_out;
    std::string m_buf;
    bool m_ok = true;
};

} // namespace lh
