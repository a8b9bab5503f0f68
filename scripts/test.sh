#!/usr/bin/env bash
# Builds the suite with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test; a failing test or a sanitizer report fails the run. The
# launcher's window tests run on a virtual X display when xvfb-run is there,
# else on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan
cmake --build --preset asan
if command -v xvfb-run > /dev/null && command -v xauth > /dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset asan -j "$(nproc)"
else
  ctest --preset asan -j "$(nproc)"
fi
