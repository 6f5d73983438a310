#!/usr/bin/env bash
# The main job on the bundled example: run the program over a short range.
set -euo pipefail
build=${1:-build}
"$build/vexmark" --from 0 --to 24 --fps 12
