#!/usr/bin/env bash
# Runs every fuzzing harness of BUILD for SECONDS each. Each keeps its
# corpus in BUILD/corpus/NAME, seeded from the bundled examples, from the
# scenes in fuzz/seeds (which name companion files in and out of their
# folder) and from the Debian test models of its format; inputs that crash
# are kept in BUILD/crashes/NAME. Prints, per harness, the executions, the coverage and
# the crashes found.
#
# The scene harnesses run the importer library in their own process, so
# that faults in it and in our conversion show. The library has faults of
# its own on damaged files; those harnesses go on after a crash. A crash
# whose report starts (past the sanitizer's own frames) inside the library,
# and which the program (PROGRAM, default build/vexmark; it imports in a
# child process) refuses with exit 2 and one line, is contained. Every other
# crash is a finding, as is any crash of our own reader (.vxm) or of the
# module's frame.
set -u
build=${1:-build-fuzz}
seconds=${2:-60}
program=${PROGRAM:-build/vexmark}
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
    find examples fuzz/seeds "$models" -type f -iname "*.$suffix" -size -2M 2>/dev/null |
      while read -r seed; do cp "$seed" "$corpus/"; done
  fi
  # The importer library leaks on some damaged files (seen: every leak is
  # allocated inside it); leak checks stay on for our own reader and the
  # module's frame.
  leaks=0
  library=0
  case "$name" in
    fuzz_scene_vxm | fuzz_pipeline) leaks=1 ;;
    fuzz_scene_*) library=1 ;;
  esac
  keep_going=()
  [ "$library" -eq 1 ] && keep_going=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
  log="$build/$name.log"
  ASAN_OPTIONS="detect_leaks=$leaks" "$harness" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 "${keep_going[@]}" \
    -detect_leaks="$leaks" -artifact_prefix="$crashes/" "$corpus" > "$log" 2>&1
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
  [ -n "$runs" ] || runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1)
  found=0
  contained=0
  for crash in "$crashes"/*; do
    [ -f "$crash" ] || continue
    # The first stack frame of the report that is not the sanitizer's.
    first=$(ASAN_OPTIONS=detect_leaks=0 timeout 120 "$harness" "$crash" 2>&1 |
      grep -E '^ +#[0-9]+ ' | grep -vE '__interceptor|__asan|__sanitizer|operator new' | head -1)
    if [ "$library" -eq 1 ] && [ -x "$program" ] && [[ "$first" == *libassimp* ]]; then
      copy=$(mktemp --suffix=".$suffix")
      cp "$crash" "$copy"
      message=$(timeout 120 "$program" info "$copy" 2>&1 >/dev/null)
      code=$?
      rm -f "$copy"
      if [ "$code" -eq 2 ] && [ "$(printf '%s\n' "$message" | wc -l)" -eq 1 ]; then
        contained=$((contained + 1))
        continue
      fi
    fi
    found=$((found + 1))
    echo "  finding: $crash"
  done
  echo "$name: ${runs:-0} runs, ${cov:-cov: ?}, $found finding(s)," \
    "$contained importer-library crash(es) refused cleanly by the program"
  [ "$found" -eq 0 ] || status=1
done
exit $status
