#!/usr/bin/env bash
# Builds Lumaret (Release) and shows its main job: makes the demo show from
# the pictures in examples/ and prints it. With a project file as argument,
# prints that project instead.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" >/dev/null

cli=build/bin/lumaret-cli
if [[ $# -ge 1 ]]; then
  exec "$cli" show "$1"
fi

demo=build/demo.lmt
"$cli" make "$demo" --fade 1500 --stop 2500 --caption-from-filename \
  --background '#101828' --text-color '#FFE08A' --text-border '#000000' \
  examples/*.jpg examples/*.png
"$cli" show "$demo"
echo
echo "The demo project is $demo."
