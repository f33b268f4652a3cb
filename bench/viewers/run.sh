#!/usr/bin/env bash
# How today's PDF viewers play an exported show:  bench/viewers/run.sh [VIEWER...]
#   VIEWER: evince atril okular mupdf pdfpc pdfpc-key firefox chromium (all by default)
#   SECONDS_PER_RUN (22) how long each run is watched, BETWEEN (below)
#
# Three flat pictures (red, green, blue) on a yellow background, fade 1000 ms,
# stop 2500 ms, exported once fading through the background ("bleeding") and
# once cross-faded. Each viewer plays each file in its presentation mode on a
# private 1280x720 Xvfb desktop with openbox (tests/gui/session.sh) while
# timeline.py names what fills the screen about every 100 ms. The timeline,
# its summary and a picture of each change land in build/viewers/VIEWER-MODE/.
# The viewers are test-time tools: apt-get install evince atril okular mupdf
# pdf-presenter-console firefox-esr chromium.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$root/build/viewers
seconds=${SECONDS_PER_RUN:-22}

if [[ ${1:-} == --inside ]]; then
  viewer=$2 pdf=$3 dir=$4
  profile=$(mktemp -d)
  # No first-run tab to take the focus from the document.
  printf '%s\n' 'user_pref("browser.aboutwelcome.enabled", false);' \
    'user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);' \
    'user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);' \
    'user_pref("browser.startup.homepage_override.mstone", "ignore");' >"$profile/user.js"
  case $viewer in
    # Okular first tells how to leave the presentation, in a box that Return closes.
    evince | atril | okular) "$viewer" --presentation "$pdf" >"$dir/viewer.log" 2>&1 & ;;
    # Opened on the second page: once the window is up, 'f' makes it full
    # screen, 'Z' fits the page (space, which the timer presses, only turns a
    # page that fits), 'p' turns presentation mode on, and ',' goes back to the
    # first page, whose fade and timer then start.
    mupdf) mupdf "$pdf" 2 >"$dir/viewer.log" 2>&1 & ;;
    # On one screen, --switch-screens shows the presentation rather than the presenter's view.
    pdfpc | pdfpc-key) pdfpc --single-screen --switch-screens "$pdf" >"$dir/viewer.log" 2>&1 & ;;
    # Presentation Mode is Ctrl+Alt+P in Firefox's viewer.
    firefox) firefox-esr --no-remote --profile "$profile" "$pdf" >"$dir/viewer.log" 2>&1 & ;;
    # "Present" is in the viewer's menu; F11 alone is only the browser's full screen.
    chromium) chromium --no-sandbox --no-first-run --no-default-browser-check \
      --user-data-dir="$profile" "file://$pdf" >"$dir/viewer.log" 2>&1 & ;;
    *) echo "unknown viewer $viewer" >&2 && exit 2 ;;
  esac
  # Keys go to the window that has the focus: the viewer's, once it is up.
  keys() {
    sleep "$1"
    shift
    xdotool key "$@"
  }
  case $viewer in
    okular) keys 2.5 Return & ;;
    mupdf) (keys 3 f && keys 0.5 Z && keys 0.5 p && keys 0.5 comma) & ;;
    pdfpc-key) keys 4 space & ;; # pdfpc holds the first page until a key
    firefox) keys 12 ctrl+alt+p & ;;
    chromium) keys 8 F11 & ;;
  esac
  python3 "$here/timeline.py" record "$seconds" "$dir" \
    "#FF0000=picture 1" "#00FF00=picture 2" "#0000FF=picture 3" "#FFFF00=background"
  rm -rf "$profile"
  exit 0
fi

viewers=("$@")
[[ ${#viewers[@]} -gt 0 ]] || viewers=(evince atril okular mupdf pdfpc pdfpc-key firefox chromium)
cli=$root/build/bin/lumaret-cli
if [[ ! -x $cli ]]; then
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build" --target lumaret-cli >/dev/null
fi
show=$out/show
mkdir -p "$show"
for colour in red lime blue; do
  convert -size 1920x1080 "xc:$colour" "$show/$colour.png"
done
for mode in bleeding cross; do
  flag=()
  [[ $mode == cross ]] && flag=(--cross-fade)
  "$cli" make "$show/$mode.lmt" --fade 1000 --stop 2500 --background '#FFFF00' \
    --caption-from-filename --no-show-pdf "${flag[@]}" "$show"/{red,lime,blue}.png
  "$cli" export --quiet "$show/$mode.lmt" "$show/$mode.pdf"
done
# BETWEEN=S gives the background pages between pictures S seconds instead of
# 0.05, to try what a viewer makes of a longer one.
if [[ -n ${BETWEEN:-} ]]; then
  qpdf --qdf --object-streams=disable "$show/bleeding.pdf" "$show/bleeding.qdf"
  sed -i "s|^  /Dur 0.05\$|  /Dur $BETWEEN|" "$show/bleeding.qdf"
  fix-qdf "$show/bleeding.qdf" >"$show/bleeding.pdf"
fi
for viewer in "${viewers[@]}"; do
  for mode in bleeding cross; do
    dir=$out/$viewer-$mode
    rm -rf "$dir" && mkdir -p "$dir"
    GUI_QUIET=1 GUI_SCREEN=1280x720x24 "$root/tests/gui/session.sh" \
      "$0" --inside "$viewer" "$show/$mode.pdf" "$dir"
    python3 "$here/timeline.py" summary "$dir" >"$dir/summary.txt"
    echo "== $viewer, $mode"
    cat "$dir/summary.txt"
  done
done
