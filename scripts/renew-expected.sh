#!/usr/bin/env bash
# Renews the expected outputs in tests/data/expected after a deliberate change
# to what the export writes, then shows which of them changed; review the diff
# (git diff tests/data/expected) before committing it.
#   scripts/renew-expected.sh [BUILD_DIR]     (default: build-tests, as ./test.sh builds)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-tests}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARET_SANITIZE=ON >/dev/null
cmake --build "$build" --target export_tests
LUMARET_RENEW_EXPECTED=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
  "$build/tests/export_tests" --gtest_filter='*/Expected.*' --gtest_brief=1
git status --short -- tests/data/expected
