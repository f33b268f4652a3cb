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
cmake --build build-bench --target grid_bench camera_photo >/dev/null
echo
echo "Wallpapers (14.7 MP, progressive and baseline, no Exif thumbnails):"
QT_QPA_PLATFORM=offscreen build-bench/bin/grid_bench /usr/share/wallpapers/*/contents/images/5120x2880.jpg

# Camera-like photos of 12, 16, 20 and 24 MP made from four of them: baseline,
# quality 92, 4:2:0, with sensor-like noise; once without and once with an
# Exif thumbnail of the photo's shape (160 x 120 or 160 x 107).
cameras=build-bench/camera-photos
mkdir -p "$cameras"
sizes=(4000x3000 4608x3456 5472x3648 6000x4000)
walls=(Flow Honeywave SafeLanding Shell)
for i in 0 1 2 3; do
  plain=$cameras/photo$i.jpg
  [[ -f $plain ]] || convert "/usr/share/wallpapers/${walls[$i]}/contents/images/5120x2880.jpg" \
    -resize "${sizes[$i]}^" -gravity center -extent "${sizes[$i]}" -attenuate 0.4 \
    +noise Gaussian -quality 92 -sampling-factor 2x2 "$plain"
  convert "$plain" -thumbnail 160x160 -quality 75 "$cameras/thumb$i.jpg"
  build-bench/bin/camera_photo "$plain" "$cameras/thumb$i.jpg" "$cameras/exif$i.jpg"
done
echo
echo "Camera-like photos (12-24 MP baseline) without Exif thumbnails:"
QT_QPA_PLATFORM=offscreen build-bench/bin/grid_bench "$cameras"/photo*.jpg | head -1
echo
echo "The same with Exif thumbnails:"
QT_QPA_PLATFORM=offscreen build-bench/bin/grid_bench "$cameras"/exif*.jpg | head -1

# The photos of today's phones and the web: one 12 MP photo (4000 x 3000, made
# from a wallpaper with sensor-like noise) as HEIC with a thumbnail, AVIF,
# WebP and JPEG XL, each decoded against its library's own tool, which writes
# raw samples to a file in tmpfs.
cmake --build build-bench --target format_bench >/dev/null
modern=build-bench/modern-photos
mkdir -p "$modern"
out=$(mktemp -d /dev/shm/format-bench.XXXXXX)
trap 'rm -rf "$out"' EXIT
source_png=$modern/photo.png
[[ -f $source_png ]] || convert "/usr/share/wallpapers/Flow/contents/images/5120x2880.jpg" \
  -resize 4000x3000^ -gravity center -extent 4000x3000 -attenuate 0.4 +noise Gaussian "$source_png"
[[ -f $modern/photo.heic ]] || heif-enc -q 90 -t 320 "$source_png" -o "$modern/photo.heic" >/dev/null
[[ -f $modern/photo.avif ]] || avifenc --min 10 --max 30 -s 8 -j all "$source_png" "$modern/photo.avif" >/dev/null
[[ -f $modern/photo.webp ]] || cwebp -quiet -q 90 "$source_png" -o "$modern/photo.webp"
[[ -f $modern/photo.jxl ]] || cjxl "$source_png" "$modern/photo.jxl" -d 1 >/dev/null 2>&1
echo
echo "Photos of phones and the web (median of ${2:-7} runs):"
runs=${2:-7}
build-bench/bin/format_bench "$modern/photo.heic" "$runs" heif-convert --quiet "$modern/photo.heic" "$out/heic.y4m"
build-bench/bin/format_bench "$modern/photo.avif" "$runs" heif-convert --quiet "$modern/photo.avif" "$out/avif.y4m"
build-bench/bin/format_bench "$modern/photo.webp" "$runs" dwebp -quiet "$modern/photo.webp" -ppm -o "$out/webp.ppm"
build-bench/bin/format_bench "$modern/photo.jxl" "$runs" djxl "$modern/photo.jxl" "$out/jxl.ppm" --quiet

# Frames of the show at 1920 x 1080: two 12 MP photos (one upright) cross
# fading, against headless Chromium drawing the same frame of the preview page.
cmake --build build-bench --target frame_bench >/dev/null
frames=build-bench/frame-photos
mkdir -p "$frames"
[[ -f $frames/wide.jpg ]] || convert -size 4000x3000 gradient:'#3366cc-#cc9933' -attenuate 0.4 \
  +noise Gaussian -quality 92 -sampling-factor 2x2 "$frames/wide.jpg"
[[ -f $frames/tall.jpg ]] || convert -size 3000x4000 radial-gradient:'#eedd99-#224466' -attenuate 0.4 \
  +noise Gaussian -quality 92 -sampling-factor 2x2 "$frames/tall.jpg"
echo
build-bench/bin/frame_bench "$frames/wide.jpg" "$frames/tall.jpg" "$runs"
