#!/usr/bin/env bash
# The main job: export the bundled example in each of the four drawing
# styles into out/, each as the ".ai" file and as SVG and PNG, which any
# browser or picture viewer opens; then list what was written.
set -euo pipefail
build=${1:-build}
mkdir -p out
for style in edges visible lines filled; do
  name="out/still-life-$style"
  "$build/vexmark" --style "$style" --size 800x600 -o "$name.ai" -o "$name.svg" -o "$name.png" \
    --yes --quiet
done
echo "written:"
ls -1 out/still-life-*.ai out/still-life-*.svg out/still-life-*.png
echo "to look at them: open $PWD/out/still-life-filled.svg in a web browser or Inkscape, or"
echo "$PWD/out/still-life-filled.png in any picture viewer; Ghostscript draws the .ai files"
echo "with the procedure set: gs tests/eps/data/vexmark_procset.ps out/still-life-lines.ai"
