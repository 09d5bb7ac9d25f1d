#pragma once

// The x86 vector intrinsics, for code that picks its instruction set when the program starts.
#if defined(__x86_64__) || defined(__i386__)
// GCC 12's AVX-512 headers warn of their own placeholder values (GCC bug 105593); clang knows
// neither that warning nor, under the first name, the one for an unknown warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
