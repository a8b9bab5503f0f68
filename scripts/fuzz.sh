#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset, clang) and runs one or all of
# them from their committed seeds.
#   scripts/fuzz.sh [TARGET] [SECONDS]   run TARGET (e.g. decoder_fuzzer, or
#                                        "all", the default) for SECONDS each (60)
#   scripts/fuzz.sh --seeds              rewrite the seed corpora that our own
#                                        encoder makes (fuzz/make_seeds.cpp)
# Each target <name>_fuzzer takes its seeds from fuzz/<name>_seeds/ and its
# dictionary from fuzz/<name>.dict when there is one. The seeds are copied
# into build/fuzz/corpus/<name>/, which grows from run to run; the committed
# folders stay as they are. Findings land in build/fuzz/findings/<name>/.
# The last line of each run shows the coverage reached.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
if [ "${1:-}" = "--seeds" ]; then
  cmake --build --preset fuzz --target make_seeds
  build/fuzz/fuzz/make_seeds fuzz
  exit 0
fi

target=${1:-all}
seconds=${2:-60}
if [ "$target" = all ]; then
  targets=$(sed -n 's/^tol_add_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' fuzz/*.cmake | sort)
else
  targets=$target
fi

status=0
for t in $targets; do
  cmake --build --preset fuzz --target "$t"
  name=${t%_fuzzer}
  corpus=build/fuzz/corpus/$name
  findings=build/fuzz/findings/$name
  mkdir -p "$corpus" "$findings"
  if [ -d "fuzz/${name}_seeds" ]; then
    cp -n "fuzz/${name}_seeds"/* "$corpus"/ 2>/dev/null || true
  else
    echo "fuzz.sh: $t has no seed folder fuzz/${name}_seeds" >&2
  fi
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
  echo "== $t: $seconds s from $(ls "$corpus" | wc -l) inputs"
  if ! build/fuzz/fuzz/"$t" "${args[@]}" "$corpus" 2>"build/fuzz/$name.log"; then
    echo "fuzz.sh: $t found a fault, see build/fuzz/$name.log and $findings" >&2
    status=1
  fi
  grep -E '^#[0-9]+.*(DONE|cov:)' "build/fuzz/$name.log" | tail -1
done
exit $status
