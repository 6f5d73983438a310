#!/usr/bin/env bash
# Times whole `vexmark` exports of generated scenes, as a user would run them,
# and prints a Markdown table: median wall time over RUNS runs, CPU time and
# peak memory of the run with the median wall time.
#
#   bench/whole_export.sh BUILD_DIR [RUNS]
#
# Every export is 1920 x 1080, --style visible, through the automatic camera.
# Scenes are generated once into BUILD_DIR/bench-scenes; the many-object
# scenes are timed in the native format (converted from OBJ by the program). A scene whose first
# run takes longer than 20 s is run only once.
set -euo pipefail

build=${1:?usage: whole_export.sh BUILD_DIR [RUNS]}
runs=${2:-5}
program="$build/vexmark"
maker="$build/vexmark_bench_scene"
scenes="$build/bench-scenes"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$scenes"

# name | kind | count | goal
rows=(
  "smooth torus, 93k|torus|93000|0.25 s"
  "smooth torus, 202k|torus|202000|0.5 s, 100 MB"
  "1,000-triangle spheres, 1M|spheres|1000000|3 s, 600 MB"
  "torus 10k|torus|10000|n log n"
  "torus 100k|torus|100000|n log n"
  "torus 1M|torus|1000000|n log n"
  "10,000 one-triangle objects (OBJ)|objects|10000|"
  "10,000 one-triangle objects|objects-vxm|10000|0.3 s"
  "20,000 one-triangle objects|objects-vxm|20000|linear"
  "50,000 one-triangle objects|objects-vxm|50000|linear"
  "100,000 one-triangle objects|objects-vxm|100000|linear"
)

echo "| scene | triangles | wall s (median) | CPU s | peak MB | bytes per triangle | goal |"
echo "|---|---|---|---|---|---|---|"
for row in "${rows[@]}"; do
  IFS='|' read -r name kind count goal <<<"$row"
  suffix=ply
  [ "$kind" = objects ] && suffix=obj
  [ "$kind" = objects-vxm ] && suffix=vxm
  scene="$scenes/$kind-$count.$suffix"
  if [ ! -s "$scene" ]; then
    if [ "$kind" = objects-vxm ]; then
      # The importer library reads many-object OBJ files in quadratic time;
      # the native format shows what the export itself costs.
      [ -s "$scenes/objects-$count.obj" ] || "$maker" objects "$count" "$scenes/objects-$count.obj"
      "$program" "$scenes/objects-$count.obj" --save-scene "$scene" -q --yes -o "$out/drawing.ai" \
        >/dev/null 2>&1
    else
      "$maker" "$kind" "$count" "$scene"
    fi
  fi
  results=()
  for ((i = 0; i < runs; ++i)); do
    /usr/bin/time -f "%e %U %S %M" -o "$out/time" \
      "$program" "$scene" --size 1920x1080 --style visible -o "$out/drawing.ai" -q --yes \
      >/dev/null 2>"$out/stderr" || { echo "export of $scene failed:" >&2; cat "$out/stderr" >&2; exit 1; }
    results+=("$(tail -n 1 "$out/time")")
    wall=$(cut -d' ' -f1 <<<"${results[-1]}")
    if [ "$i" -eq 0 ] && awk -v w="$wall" 'BEGIN { exit !(w > 20) }'; then break; fi
  done
  # The run with the median wall time.
  median=$(printf '%s\n' "${results[@]}" | sort -n -k1,1 | awk '{ a[NR] = $0 } END { print a[int((NR + 1) / 2)] }')
  read -r wall user sys kb <<<"$median"
  awk -v n="$name" -v t="$count" -v w="$wall" -v u="$user" -v s="$sys" -v kb="$kb" -v g="$goal" 'BEGIN {
    printf "| %s | %d | %.2f | %.2f | %.0f | %.0f | %s |\n", n, t, w, u + s, kb / 1024, kb * 1024 / t, g }'
done
