#!/usr/bin/env bash
# Runs every fuzzing harness of BUILD for SECONDS each. Each keeps its
# corpus in BUILD/corpus/NAME, seeded from the bundled examples and from the
# Debian test models of its format; inputs that crash are kept in
# BUILD/crashes/NAME. Prints, per harness, the executions, the coverage and
# the crashes found.
set -u
build=${1:-build-fuzz}
seconds=${2:-60}
models=/usr/share/assimp/models
status=0
for harness in "$build"/fuzz_*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  corpus="$build/corpus/$name"
  crashes="$build/crashes/$name"
  mkdir -p "$corpus" "$crashes"
  suffix=${name#fuzz_scene_}
  if [ "$suffix" != "$name" ] && [ -z "$(ls -A "$corpus")" ]; then
    find examples "$models" -type f -iname "*.$suffix" -size -2M 2>/dev/null |
      while read -r seed; do cp "$seed" "$corpus/"; done
  fi
  # The importer library leaks on some damaged files (seen: every leak is
  # allocated inside it); leak checks stay on for our own reader and the
  # module's frame.
  leaks=0
  case "$name" in fuzz_scene_vxm | fuzz_pipeline) leaks=1 ;; esac
  log="$build/$name.log"
  ASAN_OPTIONS="detect_leaks=$leaks" "$harness" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 \
    -detect_leaks="$leaks" -artifact_prefix="$crashes/" "$corpus" > "$log" 2>&1
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1)
  found=$(ls "$crashes" | wc -l)
  echo "$name: ${runs:-0} runs, ${cov:-cov: ?}, $found crash file(s) in $crashes"
  [ "$found" -eq 0 ] || status=1
done
exit $status
