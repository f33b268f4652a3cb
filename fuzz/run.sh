#!/usr/bin/env bash
# Fuzzes every reader for a while: ./fuzz/run.sh [SECONDS per target, default 300]
# New interesting inputs go to fuzz/findings/<target>/ (not committed); copy a
# crashing input into fuzz/corpus/<target>/ under a name that says what it broke.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}

scripts/install-deps.sh clang
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMARET_FUZZ=ON -DLUMARET_SANITIZE=ON -DLUMARET_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# The libraries' own known leaks are not findings.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
for fuzzer in "$build"/bin/fuzz_*; do
  name=${fuzzer##*/fuzz_}
  findings=fuzz/findings/$name
  mkdir -p "$findings"
  echo "== $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -artifact_prefix="$findings/" \
    "$findings" "fuzz/corpus/$name"
done
