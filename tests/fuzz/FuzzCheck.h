#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                              \
        if (!(condition)) {                                                                           \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);       \
            std::abort();                                                                             \
        }                                                                                             \
    } while (false)
