#!/usr/bin/env bash
# Renders the bundled example in each drawing style to docs/images/*.png:
# our own EPS files, drawn by Ghostscript with the procedure set the tests use.
set -euo pipefail
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p docs/images
for style in edges visible lines filled; do
  "$build/vexmark" examples/still-life.vxm --quiet --yes --style "$style" -o "$scratch/$style.ai"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -g800x600 -dTextAlphaBits=4 \
    -dGraphicsAlphaBits=4 -sOutputFile="docs/images/still-life-$style.png" \
    tests/eps/data/vexmark_procset.ps "$scratch/$style.ai"
done
ls -1 docs/images/still-life-*.png
