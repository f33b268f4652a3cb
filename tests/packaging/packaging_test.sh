#!/usr/bin/env bash
# What the install rules put on a desktop, judged by the tools desktops use,
# and the Debian package checked to hold all of it.
# Usage: tests/packaging/packaging_test.sh [BUILD_FOLDER]   (default: build, built)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
id=org.lumaret.Lumaret
project_type=application/x-lumaret-project

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
share=$prefix/share
fail() {
  echo "packaging_test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/appstream.log" ||
  fail "$(cat "$work/appstream.log")"
xmllint --noout "$share/mime/packages/$id.xml"

for program in lumaret lumaret-cli; do
  ! readelf -d "$prefix/bin/$program" | grep -E 'RPATH|RUNPATH' ||
    fail "$program has a library search path built in"
  warnings=$(groff -man -Tutf8 -ww -z "$share/man/man1/$program.1" 2>&1)
  [[ -z $warnings ]] || fail "$program.1: $warnings"
done

for size in 16 24 32 48 64 128 256; do
  for icon in apps/$id mimetypes/${project_type/\//-}; do
    file "$share/icons/hicolor/${size}x$size/$icon.png" | grep -q "PNG image data, $size x $size," ||
      fail "no $size pixel icon $icon"
  done
done
for icon in apps/$id mimetypes/${project_type/\//-}; do
  [[ -s $share/icons/hicolor/scalable/$icon.svg ]] || fail "no scalable icon $icon"
done

# The project type as a desktop sees it: by the name, and by the first bytes
# when the name says nothing.
export XDG_DATA_HOME=$work/home XDG_DATA_DIRS=$share:/usr/share
mime_errors=$(update-mime-database "$share/mime" 2>&1)
[[ -z $mime_errors ]] || fail "update-mime-database: $mime_errors"
"$prefix/bin/lumaret-cli" make "$work/show.lmt" examples/*.jpg >/dev/null
cp "$work/show.lmt" "$work/show-renamed"
for project in show.lmt show-renamed; do
  type=$(gio info -a standard::content-type "$work/$project" |
         sed -n 's/^ *standard::content-type: //p')
  [[ $type == "$project_type" ]] || fail "$project is taken for ${type:-nothing}"
done

# The window program answers as GNU programs do, without needing a display.
lumaret=$prefix/bin/lumaret
[[ $(env -u DISPLAY -u WAYLAND_DISPLAY "$lumaret" --version) == "lumaret $("$prefix/bin/lumaret-cli" --version | cut -d' ' -f2)" ]] ||
  fail "lumaret --version"
env -u DISPLAY -u WAYLAND_DISPLAY "$lumaret" --help | grep -q '^Usage: lumaret ' || fail "lumaret --help"
status=0
QT_QPA_PLATFORM=offscreen "$lumaret" --bogus >"$work/out" 2>"$work/err" || status=$?
[[ $status == 2 && ! -s $work/out ]] || fail "lumaret --bogus exits $status"
grep -qx 'lumaret: unknown option --bogus (try lumaret --help)' "$work/err" ||
  fail "lumaret --bogus says: $(cat "$work/err")"

# The package holds exactly what cmake --install installs.
version=$("$prefix/bin/lumaret-cli" --version | cut -d' ' -f2)
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
  fail "$(cat "$work/cpack.log")"
deb=$work/deb/lumaret_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "cpack made no $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package misses its libraries"
diff -u <(sed "s|^$prefix/|/usr/|" "$build/install_manifest.txt" | sort) \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort) ||
  fail "the package and the install rules disagree"
echo "packaging_test: all passed"
