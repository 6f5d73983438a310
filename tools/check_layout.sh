#!/usr/bin/env bash
# The module folders may include host/api headers but no host implementation
# header, and no standard containers, streams, threads or files.
set -u
root=${1:-.}
cd "$root" || exit 2
status=0
for dir in sdk core polygons capture visibility lines eps shell; do
  [ -d "$dir" ] || continue
  bad=$(grep -rnE '#include\s*["<]host/' "$dir" | grep -v 'host/api/')
  if [ -n "$bad" ]; then
    echo "module code includes a host implementation header:"; echo "$bad"; status=1
  fi
  bad=$(grep -rnE '#include\s*<(vector|map|unordered_map|set|list|deque|string|sstream|fstream|iostream|thread|mutex|functional|memory)>' "$dir")
  if [ -n "$bad" ]; then
    echo "module code includes a standard container, stream or thread header:"; echo "$bad"; status=1
  fi
done
[ $status -eq 0 ] && echo "layout ok"
exit $status
