#!/usr/bin/env bash
# The main job: export the bundled example in each of the four drawing
# styles into out/, then list what was written.
set -euo pipefail
build=${1:-build}
mkdir -p out
for style in edges visible lines filled; do
  "$build/vexmark" --style "$style" --size 800x600 -o "out/still-life-$style.ai" --yes --quiet
done
echo "written:"
ls -1 out/still-life-*.ai
