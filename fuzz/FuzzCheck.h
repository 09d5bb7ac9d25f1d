#pragma once

// A property that fails in a fuzz target must stop the run with the input saved: abort() does
// both under libFuzzer, and the message says which property broke.

#include <cstdio>
#include <cstdlib>

#define LH_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
