#!/usr/bin/env bash
# Installs everything needed to build and test the suite on Debian 12 and
# builds it. Safe to run again. Options:
#   --no-build   install packages only
#   --bench      also install the tools the comparison benchmarks use
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
bench=0
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --bench) bench=1 ;;
    *) echo "setup.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev
  libsdl2-dev qt6-base-dev libxcb1-dev
  # Independent readers the tests check our files with (never the libav plug-in).
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-base-apps imagemagick libjpeg-turbo-progs xvfb xauth x11-xkb-utils
)
if [ "$bench" = 1 ]; then
  # Peers of scripts/bench.sh: VP8/VP9, Theora's example tools, Opus, Vorbis,
  # and gnuplot for the plots (motion-JPEG uses libjpeg-turbo from above).
  packages+=(vpx-tools libtheora-bin opus-tools vorbis-tools gnuplot-nox)
fi

sudo_cmd=()
if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$build" = 1 ]; then
  cmake --preset release
  cmake --build --preset release
fi
