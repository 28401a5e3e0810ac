#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTREVOK_SANITIZE=ON -DTREVOK_TESTS=ON
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
# The sanitizer runtime of GCC 12 sometimes takes an ordinary heap block for an old glibc's TLS
# header and its leak checker then crashes at exit ("Tracer caught signal 11") with no leak to
# report, depending only on where blocks land; not intercepting __tls_get_addr avoids it.
export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/test
ctest --output-on-failure -j "$(nproc)" "$@"
