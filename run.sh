#!/usr/bin/env bash
# Builds Lumaret (Release) and starts the program on the demo show made from
# the pictures in examples/ (or on the project given as argument). Without a
# display it shows the main job instead: the project, the exported slideshow
# PDF, and a page that plays the slideshow in a browser.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" >/dev/null

cli=build/bin/lumaret-cli
if [[ $# -ge 1 ]]; then
  project=$1
  out=${project%.lmt}
else
  project=build/demo.lmt
  out=build/demo
  "$cli" make "$project" --fade 1500 --stop 2500 --caption-from-filename \
    --background '#101828' --text-color '#FFE08A' --text-border '#000000' \
    examples/*.jpg examples/*.png
fi

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec build/bin/lumaret "$project"
fi

"$cli" show "$project"
"$cli" export "$project" "$out.pdf"
"$cli" preview "$project" "$out.html"
echo
echo "Slideshow PDF: $out.pdf"
echo "Play it full screen: evince --presentation $out.pdf"
echo "Play the slideshow text in a browser: $out.html"
