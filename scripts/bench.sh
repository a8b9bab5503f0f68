#!/usr/bin/env bash
# Measures Zurn beside the codecs a user could pick instead (VP8, VP9,
# Theora, motion-JPEG; Opus and Vorbis for sound) on the corpus clips, in one
# run on the same frames, and writes the results into bench/results/:
# a Markdown table and a CSV per clip, a PNG plot of PSNR against data rate,
# the sound tables, and summary.md with the machine they were measured on.
# The README's Performance section is updated from them.
#
# Needs the peers' tools: scripts/setup.sh --bench. A peer that is missing
# is reported as such in the tables.
#
# Options:
#   --quick        a short check of the whole chain (10 frames of one clip,
#                  one rate) into build/bench/quick/; README untouched
#   --no-readme    leave the README alone
#   --corpus DIR   the media corpus (default: $TOL_CORPUS or ../shared/corpus)
#   --build DIR    the build folder (default: build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${TOL_CORPUS:-../shared/corpus}
build=build/bench
quick=0
readme=1
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1; readme=0 ;;
    --no-readme) readme=0 ;;
    --corpus) corpus=$2; shift ;;
    --build) build=$2; shift ;;
    *) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
if [ ! -d "$corpus/seq" ] || [ ! -d "$corpus/audio" ]; then
  echo "bench.sh: no media corpus at $corpus (give --corpus DIR or set TOL_CORPUS)" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOL_BUILD_BENCH=ON -DTOL_BUILD_TESTS=OFF \
  -DTOL_BUILD_GUI=OFF > /dev/null
cmake --build "$build" --target zurnbench
bench=$build/bench/zurnbench

out=bench/results
[ "$quick" = 1 ] && out=$build/quick
mkdir -p "$out"
rm -f "$out"/*.md "$out"/*.csv "$out"/*.png

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
if awk -v l="${load_before%% *}" 'BEGIN { exit !(l >= 1.5) }'; then
  echo "bench.sh: load average is $load_before: other work will distort the speed figures" >&2
fi
start=$(date +%s)

# Video: name, sequence, rates in bytes per second (15 frames per second).
clips=(
  "path_pan_320x240|seq/path_pan_320x240|100000,250000,500000"
  "leaf_zoom_640x480|seq/leaf_zoom_640x480|100000,250000,500000"
  "ball_320x240|synth/ball_320x240|25000,50000,100000"
  "leaf_pan_100x60|seq/leaf_pan_100x60|10000,25000,50000"
)
extra=()
sound_extra=()
sound_options=0,4,8,12
if [ "$quick" = 1 ]; then
  clips=("path_pan_320x240|seq/path_pan_320x240|100000")
  extra=(--frames 10 --repeats 1)
  sound_extra=(--repeats 1)
  sound_options=0
fi
for c in "${clips[@]}"; do
  IFS='|' read -r name seq rates <<< "$c"
  "$bench" video --fps 15 --rates "$rates" --name "$name" --out "$out" "${extra[@]}" "$corpus/$seq"
done

# Sound: Zurn at several soundOption values, Opus and Vorbis at Zurn's rates.
"$bench" sound --options "$sound_options" --out "$out" "${sound_extra[@]}" \
  "$corpus/audio/speech_16bit_mono_22050.wav" "$corpus/audio/chord_8bit_mono_11025.wav"

seconds=$(( $(date +%s) - start ))
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

package() { echo "$1 $(dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo '(not installed)')"; }
conditions() {
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') by \`scripts/bench.sh\` in ${seconds} s, at commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)."
  echo
  echo "- Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
       "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) memory; $(. /etc/os-release && echo "$PRETTY_NAME")"
  echo "- Load average (1, 5, 15 min) before: $load_before; after: $load_after"
  echo "- Every encoder and decoder ran as its own process, all kept to the same single processor; the peers with one thread."
  echo "- Peers (Debian packages): $(package vpx-tools), $(package libtheora-bin), $(package libjpeg62-turbo)," \
       "$(package opus-tools), $(package vorbis-tools)"
  echo
}
# One clip's tables and plot.
clip_results() {
  cat "$out/$1.md"
  [ -f "$out/$1.png" ] && echo && echo "![PSNR against data rate, $1]($1.png)"
  echo
}
{
  echo "# Benchmark results"
  echo
  conditions
  for c in "${clips[@]}"; do clip_results "${c%%|*}"; done
  cat "$out"/sound-*.md
} > "$out/summary.md"
echo "bench.sh: results in $out/ (summary.md), ${seconds} s"

if [ "$readme" = 1 ]; then
  # The block between the markers in README.md: the two natural clips the
  # README quotes and the sound, headings one level down, links into
  # bench/results/.
  block=$(mktemp)
  {
    conditions
    clip_results path_pan_320x240
    clip_results leaf_zoom_640x480
    cat "$out"/sound-*.md
    echo
    echo "The other clips, and everything above, are in [bench/results/summary.md](bench/results/summary.md)."
  } | sed -e 's/^### /#### /' -e 's/^## /### /' -e 's/](\([a-z_0-9x]*\.png\))/](bench\/results\/\1)/' > "$block"
  awk -v block="$block" '
    /<!-- bench results begin -->/ { print; while ((getline line < block) > 0) print line; skip = 1; next }
    /<!-- bench results end -->/ { skip = 0 }
    !skip { print }
  ' README.md > README.md.new && mv README.md.new README.md
  rm -f "$block"
  echo "bench.sh: README.md Performance section updated"
fi
