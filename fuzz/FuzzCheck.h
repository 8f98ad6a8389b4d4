// SPDX-License-Identifier: GPL-3.0-or-later
// A broken invariant ends the run like a crash, so libFuzzer keeps the input that broke it, in
// builds with NDEBUG as well.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)
