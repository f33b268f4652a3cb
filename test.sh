#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

build=build-tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARET_SANITIZE=ON
cmake --build "$build" --parallel "$(nproc)"

# The optimised build too, as ./run.sh makes it: some warnings only show there.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"

# The window from outside, as a screen reader drives it (AT-SPI under Xvfb).
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS QT_QPA_PLATFORM
tests/gui/session.sh /usr/bin/python3 tests/gui/window_test.py build/bin/lumaret
