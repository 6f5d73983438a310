#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Vexmark
# need, but only those that are missing. Safe to run again and again.
# `setup.sh fuzz` adds what the fuzzing build needs, `setup.sh bench` what
# the whole-run benchmark needs. Chromium runs the studio page's browser
# test.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libassimp-dev assimp-testmodels
  nlohmann-json3-dev libtiff-dev libpng-dev libjpeg-dev
  libcpp-httplib-dev
  ghostscript
  libcairo2-dev librsvg2-bin poppler-utils zlib1g-dev
  qpdf pngcheck man-db
  chromium
)
# The studio page is built with Node.js and npm; a machine that already has
# them (from Debian or elsewhere) keeps its own.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi
# `make fuzz` also needs clang and its libFuzzer runtime.
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
# `make bench` times whole runs with GNU time, and the studio's redraws
# through curl (jq reads its answers, bc does the sums).
if [ "${1:-}" = "bench" ]; then
  packages+=(time curl jq bc)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing Debian packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
