#!/usr/bin/env bash
# The export against ImageMagick and against the floor (decode + encode only),
# in one run, on 24 photos of 4 to 15 MP from Debian's wallpapers and a mixed
# set of PNG, TIFF, BMP, GIF, TGA and PCX pictures. The export runs twice: with
# the picture pages for today's viewers (each picture captioned with its file
# name) and with --svg-only, the slideshow's own file alone.
#
#   ./bench/export.sh
#
# Prints wall time and peak memory (maximum resident set) of each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh plasma-workspace-wallpapers time >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build-bench --target lumaret-cli export_floor >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 24 photos: the largest JPEG of each wallpaper between 4 and 15 megapixels.
mapfile -t photos < <(
  for f in /usr/share/wallpapers/*/contents/images*/*.jpg; do
    size=$(identify -format '%w %h' "$f" 2>/dev/null) || continue
    read -r w h <<<"$size"
    mp=$((w * h))
    ((mp >= 4000000 && mp <= 15000000)) && echo "$mp $f"
  done | sort -rn | awk '{print $2}' | head -24)
echo "photos: ${#photos[@]}, $(du -ch "${photos[@]}" | tail -1 | cut -f1)"

# The mixed set, made from one wallpaper.
src=/usr/share/wallpapers/Altai/contents/images/5120x2880.png
mixed=()
convert "$src" -resize 1920x1080 "$work/m.ppm"
convert "$work/m.ppm" "$work/m.png" && mixed+=("$work/m.png")
convert "$work/m.ppm" -compress LZW "$work/m.tif" && mixed+=("$work/m.tif")
convert "$work/m.ppm" BMP3:"$work/m.bmp" && mixed+=("$work/m.bmp")
pnmquant 256 "$work/m.ppm" 2>/dev/null | pamtogif >"$work/m.gif" 2>/dev/null && mixed+=("$work/m.gif")
ppmtotga -rgb "$work/m.ppm" >"$work/m.tga" 2>/dev/null && mixed+=("$work/m.tga")
ppmtopcx -24bit "$work/m.ppm" >"$work/m.pcx" 2>/dev/null && mixed+=("$work/m.pcx")

measure() {  # label, command...
  local label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    echo "$label failed: $(tail -3 "$work/err")"
    return
  }
  read -r seconds kib <"$work/time"
  printf '  %-34s %8.2f s %8.0f MiB\n' "$label" "$seconds" "$((kib / 1024))"
}

# Debian's ImageMagick refuses to write PDF; a permissive policy is mounted
# over its policy file in a private mount namespace, the system file untouched.
printf '<policymap/>\n' >"$work/policy.xml"
cat >"$work/magick_pdf" <<SCRIPT
#!/bin/sh
exec unshare -m sh -c 'mount --bind "$work/policy.xml" /etc/ImageMagick-6/policy.xml && exec convert "\$@"' sh "\$@"
SCRIPT
chmod +x "$work/magick_pdf"

run_set() {  # name, files...
  local name=$1
  shift
  build-bench/bin/lumaret-cli make "$work/$name.lmt" --caption-from-filename "$@"
  echo "$name: $# pictures"
  measure "lumaret-cli export" build-bench/bin/lumaret-cli export "$work/$name.lmt" "$work/$name.pdf"
  measure "lumaret-cli export --svg-only" \
    build-bench/bin/lumaret-cli export --svg-only "$work/$name.lmt" "$work/$name-svg.pdf"
  local update fonts
  update=$(($(stat -c %s "$work/$name.pdf") - $(stat -c %s "$work/$name-svg.pdf")))
  fonts=$(grep -ao '/Length [0-9]* /Length1' "$work/$name.pdf" | awk '{s += $2} END {print s + 0}')
  printf '  %-34s %8d B, %d B per picture besides %d B of font subsets\n' "picture pages" \
    "$update" "$(((update - fonts) / $#))" "$fonts"
  measure "floor (decode + encode)" build-bench/bin/export_floor "$@"
  if [[ $(id -u) -eq 0 ]]; then
    measure "ImageMagick convert" "$work/magick_pdf" "$@" -quality 90 -compress jpeg "$work/$name-im.pdf"
  fi
}

run_set photos "${photos[@]}"
run_set mixed "${mixed[@]}"
