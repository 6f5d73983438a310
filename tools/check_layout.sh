#!/usr/bin/env bash
# The module's layout rules, run as a test:
#  - the module's folders are stages, listed here from the bottom up; a
#    folder includes only folders below it (sdk only host/api);
#  - no module folder includes a host implementation header (only host/api/);
#  - no module folder includes a standard container, stream, thread or file
#    header: those come from the host;
#  - only sdk/ calls the host's function table: elsewhere in the module
#    neither its accessor Host() nor the table types (HostApi, HostSceneApi,
#    HostUiApi) may appear, so every call goes through an sdk/ wrapper;
#  - sdk/ defines no vector, matrix or colour type of its own: it speaks the
#    wire types of host/api, and the geometry vocabulary is core's.
set -u
root=${1:-.}
cd "$root" || exit 2
stages=(sdk core polygons capture visibility lines plotter eps output shell)
status=0
fail() {
  echo "$1"
  echo "$2"
  status=1
}
for ((rank = 0; rank < ${#stages[@]}; ++rank)); do
  dir=${stages[$rank]}
  [ -d "$dir" ] || continue
  bad=$(grep -rnE '#include\s*["<]host/' "$dir" | grep -v 'host/api/')
  [ -n "$bad" ] && fail "module code includes a host implementation header:" "$bad"
  bad=$(grep -rnE '#include\s*<(vector|map|unordered_map|set|list|deque|string|sstream|fstream|iostream|thread|mutex|functional|memory)>' "$dir")
  [ -n "$bad" ] && fail "module code includes a standard container, stream or thread header:" "$bad"
  if [ "$dir" = sdk ]; then
    bad=$(grep -rnE '^\s*(struct|class|using)\s+\w*(Vector|Matrix|Colou?r|Point)\w*\b' "$dir")
    [ -n "$bad" ] && fail "sdk/ defines a geometry or colour type of its own:" "$bad"
  fi
  if [ "$dir" != sdk ]; then
    bad=$(grep -rnE '(^|[^A-Za-z0-9_])(Host\(\)|Host(Scene|Ui)?Api([^A-Za-z0-9_]|$))' "$dir")
    [ -n "$bad" ] && fail "module code outside sdk/ calls the host table directly:" "$bad"
  fi
  for ((upper = rank; upper < ${#stages[@]}; ++upper)); do
    above=${stages[$upper]}
    [ "$above" = "$dir" ] && continue
    bad=$(grep -rnE "#include\s*\"$above/" "$dir")
    [ -n "$bad" ] && fail "$dir/ includes $above/, a stage above it:" "$bad"
  done
done
[ $status -eq 0 ] && echo "layout ok"
exit $status
