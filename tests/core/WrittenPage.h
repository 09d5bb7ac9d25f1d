#pragma once

// Reading back the bytes of a collection page a test has written.

#include <cstdio>
#include <string>

namespace lh::test {

// Everything written to a scratch file (std::tmpfile), which is closed.
inline std::string ReadBackAndClose(std::FILE* f) {
    std::rewind(f);
    std::string bytes;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

// The seventh line, where the page keeps its date.
inline std::string DateLineOf(const std::string& page) {
    std::size_t at = 0;
    for (int line = 0; line < 6; ++line)
        at = page.find("\r\n", at) + 2;
    return page.substr(at, page.find("\r\n", at) - at);
}

} // namespace lh::test
