#!/usr/bin/env bash
# Pictures of the real program's main window, made from the demo show:
# docs/main-window.png (the Pictures page, shown in the README) and one
# picture per page in build/screenshots/. Runs the program on a virtual X
# display (xvfb-run), or on Qt's offscreen platform where Xvfb is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" >/dev/null

build/bin/lumaret-cli make build/demo.lmt --fade 1500 --stop 2500 --caption-from-filename \
  --background '#101828' --text-color '#FFE08A' --text-border '#000000' \
  examples/*.jpg examples/*.png

run=(env QT_QPA_PLATFORM=offscreen)
if command -v xvfb-run >/dev/null; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env QT_QPA_PLATFORM=xcb)
fi

mkdir -p docs build/screenshots
names=(pictures find settings create-pdf)
for page in 0 1 2 3; do
  "${run[@]}" build/bin/lumaret --screenshot "build/screenshots/${names[page]}.png" \
    --page "$page" build/demo.lmt
done
"${run[@]}" build/bin/lumaret --screenshot build/screenshots/about.png --page about
cp build/screenshots/pictures.png docs/main-window.png
# A picture page of the exported show (harbour.png, the fifth page), as poppler draws it.
build/bin/lumaret-cli export build/demo.lmt build/demo.pdf
pdftoppm -png -r 36 -f 5 -l 5 -singlefile build/demo.pdf docs/pdf-page
echo "Main window: docs/main-window.png; a PDF page: docs/pdf-page.png; every page: build/screenshots/"
