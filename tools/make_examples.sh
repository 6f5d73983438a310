#!/usr/bin/env bash
# Makes the bundled examples: the glTF scenes from tools/make_examples.py,
# then examples/still-life.vxm, the still life in Vexmark's own format with
# export settings (800 x 600, edges between flat faces hidden) and an export
# tag that draws the objects group in thicker blue lines.
set -euo pipefail
build=${1:-build}
python3 tools/make_examples.py
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/vexmark" examples/still-life.gltf --quiet --yes --size 800x600 --flat-edges on \
  --tag "Objects:width=2,color=#1040C0" -o "$scratch/still-life.ai" \
  --save-scene examples/still-life.vxm
# The stored output file would point into the scratch folder: clear it, so
# that an export without -o proposes a name beside the scene.
python3 - examples/still-life.vxm <<'PY'
import json, sys
path = sys.argv[1]
doc = json.load(open(path))
for key, kind, value in doc["pluginData"]["values"]:
    if key == 1010761:
        for entry in value["values"]:
            if entry[0] == 1008:
                entry[2] = ""
json.dump(doc, open(path, "w"), indent=1)
open(path, "a").write("\n")
PY
echo "examples written: examples/still-life.gltf examples/turntable.gltf examples/still-life.vxm"
