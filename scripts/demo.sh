#!/usr/bin/env bash
# A first run of the suite: makes a short synthetic clip in build/demo/ (48
# PNG frames of 320 x 240 with a moving, textured picture, and a WAVE tone)
# and compresses it into build/demo/demo.zrn at 150,000 bytes per second
# with sound; the compressor then checks the file by decoding it.
# Run after scripts/setup.sh, which builds into build/release (another build
# folder: TOL_BUILD_DIR=build/asan scripts/demo.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TOL_BUILD_DIR:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "demo.sh: no build in $build; run scripts/setup.sh first" >&2
  exit 1
fi
# Brings the two programs up to date (quick when they are).
cmake --build "$build" --target zurn zurnsample tolinfo

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
"$build/bin/zurnsample" "$demo/clip"
"$build/bin/zurn" "$demo/clip/frame????.png" "$demo/demo.zrn" "$demo/clip/sound.wav" /d150000

# The committed sample clip: played where there is a display (and the player
# was built), otherwise described.
if [ -n "${DISPLAY:-}" ] && cmake --build "$build" --target zurnplay >/dev/null 2>&1; then
  "$build/bin/zurnplay" samples/sample.zrn /s
else
  "$build/bin/tolinfo" samples/sample.zrn
fi
