#!/usr/bin/env bash
# The film against the ffmpeg program making the same film of the same photos
# with the same encoder, in one run, on 12 photos of about 15 MP from Debian's
# wallpapers: 1920 x 1080 at 30 frames a second, fades of 1 s, each picture
# still for 2 s, cross fading, a black background and no captions; H.264 by
# libx264, preset medium, CRF 20, yuv420p, BT.709 limited range, faststart.
#
#   ./bench/video.sh
#
# Prints wall time and peak memory (maximum resident set) of each, the time of
# encoding the film's own frames alone (what the encoder costs whoever draws
# them), the peak of the film of the same photos twice over (24 pictures), how
# close a few frames of the two films are, and ends with the two targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh plasma-workspace-wallpapers time ffmpeg >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARET_TESTS=OFF >/dev/null
cmake --build build-bench --target lumaret-cli >/dev/null

cli=build-bench/bin/lumaret-cli
status=0
fade=1 stop=2 fps=30 width=1920 height=1080
x264=(-c:v libx264 -preset medium -crf 20 -pix_fmt yuv420p)
bt709=(-color_range tv -colorspace bt709 -color_primaries bt709 -color_trc bt709)

work=$(mktemp -d)
# The raw frames (3 MB each) go to memory when it has room, so that the
# encode alone does not wait for the disk.
raw=$(mktemp -d /dev/shm/video-bench.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$raw"' EXIT

# 12 photos: the largest JPEG files of 10 to 16 megapixels, each file once
# (some wallpapers link their sizes to one file), repeated in the same order
# when there are fewer than 12.
mapfile -t distinct < <(
  for f in /usr/share/wallpapers/*/contents/images*/*.jpg; do
    f=$(readlink -f "$f")
    size=$(identify -format '%w %h' "$f" 2>/dev/null) || continue
    read -r w h <<<"$size"
    mp=$((w * h))
    ((mp >= 10000000 && mp <= 16000000)) && echo "$mp $f"
  done | sort -u | sort -rn | awk '{print $2}' | head -12)
((${#distinct[@]} > 0)) || { echo "no JPEG wallpaper of 10 to 16 MP" >&2; exit 1; }
photos=()
while ((${#photos[@]} < 12)); do photos+=("${distinct[@]}"); done
photos=("${photos[@]:0:12}")
echo "photos: 12, ${#distinct[@]} distinct files of" \
  "$(identify -format '%w x %h\n' "${distinct[@]}" 2>/dev/null | sort -u | paste -sd, -)" \
  "($(du -ch "${distinct[@]}" | tail -1 | cut -f1))$( ((${#distinct[@]} < 12)) && echo ", repeated in turn")"

make_show() {  # project, photos...
  local project=$1
  shift
  # Without --caption-from-filename the captions stay empty, as in the peer.
  $cli make "$project" --fade $((fade * 1000)) --stop $((stop * 1000)) --cross-fade \
    --background '#000000' "$@" >/dev/null
}
make_show "$work/show.lmt" "${photos[@]}"
make_show "$work/show24.lmt" "${photos[@]}" "${photos[@]}"

# The same film by the ffmpeg program: each photo a still input looped for its
# 2 fades and its stop, fitted into the frame and padded at the top left,
# each cross fade starting one fade plus one stop after the one before; the
# first picture fades in from black and the last fades out to it.
# decoded=once instead takes one frame of each photo and repeats it after
# scaling, where looping the input decodes and scales the photo every frame.
# Sets `peer` to the command.
peer_command() {  # out, every|once, photos...
  local out=$1 decoded=$2
  shift 2
  local n=$# clip=$((2 * fade + stop)) inputs=() graph='' i=0 k prev=v0
  local fit="scale=$width:$height:force_original_aspect_ratio=decrease:out_color_matrix=bt709"
  fit+=":out_range=tv,format=yuv420p,pad=$width:$height:0:0:black,setsar=1"
  for p in "$@"; do
    if [[ $decoded == every ]]; then
      inputs+=(-framerate "$fps" -loop 1 -t "$clip" -i "$p")
      graph+="[$i:v]$fit[v$i];"
    else
      inputs+=(-framerate "$fps" -i "$p")
      graph+="[$i:v]$fit,loop=loop=$((clip * fps - 1)):size=1,setpts=N/($fps*TB)[v$i];"
    fi
    i=$((i + 1))
  done
  for ((k = 1; k < n; k++)); do
    graph+="[$prev][v$k]xfade=transition=fade:duration=$fade:offset=$((k * (fade + stop)))[x$k];"
    prev=x$k
  done
  local length=$((n * (fade + stop) + fade))
  graph+="[$prev]fade=t=in:st=0:d=$fade,fade=t=out:st=$((length - fade)):d=$fade[out]"
  peer=(ffmpeg -hide_banner -loglevel error -nostdin -y "${inputs[@]}" -filter_complex "$graph"
    -map '[out]' "${x264[@]}" "${bt709[@]}" -r "$fps" -movflags +faststart "$out")
}

# Other work on the machine skews the times; the load says how much.
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; one run each"
echo

# Sets `seconds`, `cpu` (user + system) and `mib` of the command, empty when
# it failed. Other work on the machine lengthens the wall time more than the
# processor time.
seconds='' cpu='' mib=''
measure() {  # label, command...
  local label=$1
  shift
  seconds='' cpu='' mib=''
  /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    printf '  %-44s failed: %s\n' "$label" "$(tail -3 "$work/err")"
    status=1
    return 0
  }
  local kib user system
  read -r seconds kib user system <"$work/time"
  mib=$((kib / 1024))
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
  printf '  %-44s %8.1f s %6d MiB %8.1f s cpu\n' "$label" "$seconds" "$mib" "$cpu"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "12 pictures, ${width}x$height at $fps fps:"
measure "lumaret-cli video" $cli video --quiet "$work/show.lmt" "$work/ours.mp4"
ours=$seconds ours_cpu=$cpu ours_mib=$mib
peer_command "$work/peer.mp4" every "${photos[@]}"
measure "ffmpeg, looped still inputs" "${peer[@]}"
ffmpeg_s=$seconds
peer_command "$work/once.mp4" once "${photos[@]}"
measure "ffmpeg, each photo decoded once (loop filter)" "${peer[@]}"
once=$seconds

# x264's settings as it wrote them into a film, one a line.
x264_options() {  # film
  # awk reads to the end: a reader that stops early would end strings by
  # SIGPIPE, and pipefail the script.
  strings -n 8 "$1" | awk '/options: / && !n++ { sub(/.*options: /, ""); print }' | tr ' ' '\n'
}

# The encoder alone on our own frames, decoded beforehand (not timed): once
# as the ffmpeg program sets x264 up and once as lumaret-cli does, with the
# thread count and lookahead read from its film; that the lookahead runs in
# step with the encoder (sync-lookahead=0) the film does not record.
encode='' encode_cpu='' encode_mib='' ours_x264=''
if [[ -f $work/ours.mp4 ]]; then
  ours_x264="threads=$(x264_options "$work/ours.mp4" | sed -n 's/^threads=//p')"
  ours_x264+=":rc-lookahead=$(x264_options "$work/ours.mp4" | sed -n 's/^rc_lookahead=//p')"
  ours_x264+=":sync-lookahead=0"
  ffmpeg -v error -nostdin -i "$work/ours.mp4" -f rawvideo -pix_fmt yuv420p "$raw/frames.yuv"
  from=$(df --output=fstype "$raw" | tail -1)
  encode_alone=(ffmpeg -v error -nostdin -f rawvideo -pix_fmt yuv420p -s ${width}x$height -r $fps
    -i "$raw/frames.yuv" "${x264[@]}")
  measure "encode alone, as ffmpeg sets x264" "${encode_alone[@]}" -f null -
  measure "encode alone, as lumaret-cli sets x264" "${encode_alone[@]}" -x264-params "$ours_x264" -f null -
  encode=$seconds encode_cpu=$cpu encode_mib=$mib
  echo "    (raw yuv420p frames read from $from; lumaret-cli's x264: $ours_x264)"
  rm -f "$raw/frames.yuv"
fi

echo
echo "24 pictures (the 12 twice):"
measure "lumaret-cli video" $cli video --quiet "$work/show24.lmt" "$work/ours24.mp4"
ours24_mib=$mib
rm -f "$work/ours24.mp4"

# What each film is: its length must be the show's, N (fade + stop) + fade.
echo
echo "the films (expected $((12 * (fade + stop) + fade)) s, $(((12 * (fade + stop) + fade) * fps)) frames):"
moov_first() {  # file: whether the index comes before the samples
  local at=0 size type
  while :; do
    size=$(od -An -tu4 --endian=big -j "$at" -N 4 "$1" | tr -d ' ')
    type=$(dd if="$1" bs=1 skip=$((at + 4)) count=4 status=none)
    case $type in
      moov) echo faststart && return ;;
      mdat) echo "index at the end" && return ;;
    esac
    [[ -n $size ]] && ((size >= 8)) || break
    at=$((at + size))
  done
  echo "index not found"
}
declare -A frames
for film in ours peer once; do
  f=$work/$film.mp4
  [[ -f $f ]] || continue
  info=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries \
    stream=codec_name,profile,pix_fmt,color_range,color_space,color_primaries,color_transfer,nb_read_packets:format=duration \
    -of default=nw=1 "$f")
  get() { sed -n "s/^$1=//p" <<<"$info"; }
  frames[$film]=$(get nb_read_packets)
  printf '  %-6s %9.3f s %5d frames  %s %s %s, %s range, %s/%s/%s, %s, %d kB\n' "$film" \
    "$(get duration)" "${frames[$film]}" "$(get codec_name)" "$(get profile)" "$(get pix_fmt)" \
    "$(get color_range)" "$(get color_space)" "$(get color_primaries)" "$(get color_transfer)" \
    "$(moov_first "$f")" "$(($(stat -c %s "$f") / 1000))"
done
if [[ -f $work/ours.mp4 && -f $work/peer.mp4 ]]; then
  differ=$(join -t= <(x264_options "$work/ours.mp4" | sort) <(x264_options "$work/peer.mp4" | sort) |
    awk -F= '$2 != $3 { printf "%s%s %s against %s", n++ ? ", " : "", $1, $2, $3 }')
  echo "  x264 settings of ours against ffmpeg's: ${differ:-the same}"
fi
if [[ -f $work/peer.mp4 && -f $work/once.mp4 ]]; then
  cmp -s "$work/peer.mp4" "$work/once.mp4" && same="the same bytes" || same="NOT the same bytes"
  echo "  ffmpeg's two ways: $same"
fi
if [[ -n ${frames[ours]:-} && ${frames[ours]} != "${frames[peer]:-}" ]]; then
  echo "  !!! ours and ffmpeg's differ in length" >&2
  status=1
fi

# The same moments of both films: a picture still, half way through a cross
# fade, half way through the first fade in, and the last frame.
if [[ -f $work/ours.mp4 && -f $work/peer.mp4 ]]; then
  echo
  echo "ours against ffmpeg's, frame by frame (PSNR by ImageMagick, SSIM by ffmpeg):"
  last=$((${frames[ours]} - 1))
  for moment in "15 first fade in, half way" "60 first picture still" \
    "105 first cross fade, half way" "$((last - 15)) last fade out, half way"; do
    read -r n what <<<"$moment"
    for film in ours peer; do
      ffmpeg -v error -nostdin -y -i "$work/$film.mp4" -vf "select=eq(n\,$n)" -frames:v 1 \
        "$work/$film-$n.png"
    done
    psnr=$(compare -metric PSNR "$work/ours-$n.png" "$work/peer-$n.png" null: 2>&1 || true)
    ssim=$(ffmpeg -nostdin -i "$work/ours-$n.png" -i "$work/peer-$n.png" -lavfi ssim -f null - 2>&1 |
      sed -n 's/.*All:\([0-9.]*\).*/\1/p')
    printf '  frame %4d (%s): PSNR %s dB, SSIM %s\n' "$n" "$what" "$psnr" "${ssim:-?}"
  done
fi

target() {  # value, limit: met or missed
  awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "MISSED") }'
}
echo
echo "summary (12 photos, ${width}x$height, $fps fps):"
if [[ -n $ours && -n $ffmpeg_s ]]; then
  r=$(ratio "$ours" "$ffmpeg_s")
  printf '  %-44s %8.1f s, %.2fx ffmpeg looping its inputs, %.2fx decoding once\n' \
    "lumaret-cli video" "$ours" "$r" "$(ratio "$ours" "${once:-0}")"
  [[ -n $encode ]] && printf '  %-44s %8.1f s, so %.1f s (%.0f%%) beyond the encoder\n' \
    "encode alone of its frames, as it sets x264" "$encode" "$(awk -v a="$ours" -v b="$encode" 'BEGIN { print a - b }')" \
    "$(awk -v a="$ours" -v b="$encode" 'BEGIN { print 100 * (a - b) / a }')"
  [[ -n $encode ]] && printf '  %-44s %8.1f s cpu, the encoder %.1f s, composing %.1f s\n' \
    "processor time" "$ours_cpu" "$encode_cpu" "$(awk -v a="$ours_cpu" -v b="$encode_cpu" 'BEGIN { print a - b }')"
  t=$(target "$r" 0.35)
  echo "  time: ${r}x ffmpeg (target ≤ 0.35): $t"
  [[ $t == met ]] || status=1
else
  echo "  time: not measured"
  status=1
fi
if [[ -n ${ours_mib:-} && -n ${ours24_mib:-} ]]; then
  # Pictures are decoded as the film reaches them: twice the pictures may not
  # cost more than some bookkeeping.
  peak=$((ours_mib > ours24_mib ? ours_mib : ours24_mib))
  t=met
  ((peak <= 400 && ours24_mib <= ours_mib + 32)) || t=MISSED
  echo "  memory: ${ours_mib} MiB with 12 pictures, ${ours24_mib} MiB with 24" \
    "(target ≤ 400 MiB, not growing by more than 32 MiB): $t"
  [[ -n $encode_mib ]] && echo "    (the encoder alone on the same frames: $encode_mib MiB)"
  [[ $t == met ]] || status=1
else
  echo "  memory: not measured"
  status=1
fi
echo "  load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
if ((status != 0)); then
  echo "FAILED: see the lines marked !!!, failed or MISSED above" >&2
fi
exit "$status"
