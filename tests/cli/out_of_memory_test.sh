#!/usr/bin/env bash
# Memory running out for real, in the optimised lumaret-cli: the sanitizers'
# allocator ends the process rather than fail an allocation, so the test build
# cannot show this. A picture too large for the memory left gets its own
# reason; an export that runs out says so and leaves no file behind.
# Usage: tests/cli/out_of_memory_test.sh BUILD_DIR
set -euo pipefail
cli=$(realpath "$1/bin/lumaret-cli")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "out_of_memory_test: $*" >&2; cat err >&2 2>/dev/null; exit 1; }
export LUMARET_THREADS=1

# 12000 x 12000 pixels take 432 MB as the 24-bit picture the export decodes.
ppmmake red 12000 12000 | pnmtopng > big.png
"$cli" make --no-show-pdf big.lmt big.png
(ulimit -v 300000 && "$cli" export --quiet big.lmt big.pdf) 2> err || fail "the export failed"
grep -qF "big.png: not enough memory to open it" err || fail "no reason for the large picture"

# A caption of 64 MB: the slideshow text alone needs several copies of it.
ppmmake blue 8 8 | pnmtopng > small.png
"$cli" make --no-show-pdf caption.lmt small.png
python3 - <<'PY'
import struct
b = open("caption.lmt", "rb").read()
at = 12 + struct.unpack_from("<i", b, 8)[0]  # after the header and the picture's name
caption = b"x" * (64 << 20)
open("caption.lmt", "wb").write(b[:at] + struct.pack("<i", len(caption)) + caption + b[at + 4:])
PY
echo earlier > caption.pdf
if (ulimit -v 400000 && "$cli" export --quiet caption.lmt caption.pdf) 2> err; then
  fail "the export succeeded"
fi
grep -qF "(not enough memory)" err || fail "the message does not name the memory"
[[ $(cat caption.pdf) == earlier ]] || fail "the earlier file changed"
[[ $(ls -A | grep -c '^\.caption\.pdf') == 0 ]] || fail "a temporary file was left"
echo "out_of_memory_test: passed"
