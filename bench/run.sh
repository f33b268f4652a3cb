#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: ./bench/run.sh [PHOTO.jpg] [RUNS]
# Without a photo, a 5120 x 2880 wallpaper from Debian's plasma-workspace-wallpapers is used.
set -euo pipefail
cd "$(dirname "$0")/.."
photo=${1:-/usr/share/wallpapers/Flow/contents/images/5120x2880.jpg}
[[ -f $photo ]] || scripts/install-deps.sh plasma-workspace-wallpapers
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build-bench --target imagora_bench >/dev/null
build-bench/bin/imagora_bench "$photo" "${2:-7}"

# The thumbnail grid: every 5120 x 2880 JPEG wallpaper (14.7 MP) the machine has.
cmake --build build-bench --target grid_bench >/dev/null
QT_QPA_PLATFORM=offscreen build-bench/bin/grid_bench /usr/share/wallpapers/*/contents/images/5120x2880.jpg
