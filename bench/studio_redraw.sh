#!/usr/bin/env bash
# Times the studio's redraws against the command line's whole run on the
# 93k-triangle torus at 1920 x 1080, and prints a Markdown table: median wall
# time over RUNS runs of
#   - the command line exporting the scene (the whole process),
#   - a studio redraw after a style change (the scene stays imported and,
#     where the style allows, captured),
#   - a studio redraw after a camera move (imported once, captured again).
#
#   bench/studio_redraw.sh BUILD_DIR [RUNS]
#
# Needs curl and jq.
set -euo pipefail

build=${1:?usage: studio_redraw.sh BUILD_DIR [RUNS]}
runs=${2:-5}
program="$build/vexmark"
scenes="$build/bench-scenes"
out=$(mktemp -d)
studio_pid=
cleanup() {
  if [ -n "$studio_pid" ]; then kill "$studio_pid" 2>/dev/null || true; fi
  rm -rf "$out"
}
trap cleanup EXIT
mkdir -p "$scenes"
scene="$scenes/torus-93000.ply"
[ -s "$scene" ] || "$build/vexmark_bench_scene" torus 93000 "$scene"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now() { date +%s.%N; }

# The command line, as a user runs it.
for ((i = 0; i < runs; ++i)); do
  start=$(now)
  "$program" "$scene" --size 1920x1080 --style visible -o "$out/drawing.ai" -q --yes >/dev/null 2>&1
  echo "$(now) - $start" | bc
done | median >"$out/cli"

"$program" studio "$scene" --size 1920x1080 --style visible >"$out/line" 2>/dev/null &
studio_pid=$!
for ((i = 0; i < 600; ++i)); do [ -s "$out/line" ] && break; sleep 0.1; done
url=$(sed -n 's/^Vexmark studio: //p' "$out/line")
base=${url%%/\?token=*}
token=${url##*token=}
api() { curl -sf -X "$1" "$base$2?token=$token" ${3:+-H 'Content-Type: application/json' -d "$3"}; }
draw() {
  local start
  start=$(now)
  api GET /api/drawing.svg >/dev/null
  echo "$(now) - $start" | bc
}

draw >/dev/null  # the first drawing captures the scene
camera=$(api GET /api/geometry | jq -c '.exportCamera')
styles=(lines visible)
for ((i = 0; i < runs; ++i)); do
  api PUT /api/settings "{\"style\": \"${styles[i % 2]}\"}" >/dev/null
  draw
done | median >"$out/style"
for ((i = 0; i < runs; ++i)); do
  view=$(echo "$camera" | jq -c --argjson d "$i" \
    '{position: [.position[0] + 0.01 * ($d + 1), .position[1], .position[2]], quaternion, fov}')
  api PUT /api/view "$view" >/dev/null
  draw
done | median >"$out/camera"

cli=$(cat "$out/cli")
row() { printf '| %s | %.3f | %.2fx | %s |\n' "$1" "$2" "$(echo "$2 / $cli" | bc -l)" "$3"; }
echo "| 93k torus, 1920x1080 | wall s (median of $runs) | of the command line | goal |"
echo "|---|---|---|---|"
row "command line, whole process" "$cli" ""
row "studio redraw after a style change" "$(cat "$out/style")" "0.35x"
row "studio redraw after a camera move" "$(cat "$out/camera")" "0.7x"
