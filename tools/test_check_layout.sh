#!/usr/bin/env bash
# The layout check itself: it passes on a tree that keeps the rules and fails
# on each kind of break, so that a broken check cannot pass the real tree.
set -u
check="$(dirname "$0")/check_layout.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# make_tree FILE LINE: a small tree of stage folders with LINE in FILE.
make_tree() {
  rm -rf "$scratch/tree"
  mkdir -p "$scratch/tree"/{sdk,core,capture,lines,plotter,eps,output,shell}
  echo '#include "host/api/host_api.h"' > "$scratch/tree/sdk/a.h"
  echo 'int32_t TimerMs() { return Host().timerMs(); }' > "$scratch/tree/sdk/a.cpp"
  echo '#include "sdk/a.h"' > "$scratch/tree/core/b.h"
  echo '#include "core/b.h"' > "$scratch/tree/lines/c.h"
  echo '#include "lines/c.h"' > "$scratch/tree/plotter/g.h"
  echo '#include "lines/c.h"' > "$scratch/tree/eps/f.h"
  printf '#include "eps/f.h"\n#include "plotter/g.h"\n' > "$scratch/tree/output/h.h"
  echo '#include "output/h.h"' > "$scratch/tree/shell/d.h"
  [ -n "$1" ] && echo "$2" >> "$scratch/tree/$1"
}
expect() {
  local want=$1 name=$2
  "$check" "$scratch/tree" > /dev/null
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: $name: exit $got, expected $want"
    failures=$((failures + 1))
  fi
}
make_tree "" ""
expect 0 "a tree that keeps the rules"
make_tree core/b.h '#include "shell/d.h"'
expect 1 "core includes shell"
make_tree capture/e.h '#include "lines/c.h"'
expect 1 "capture includes lines"
make_tree sdk/a.h '#include "core/b.h"'
expect 1 "sdk includes core"
make_tree lines/c.h '#include "plotter/g.h"'
expect 1 "lines includes the plotter stage"
make_tree plotter/g.h '#include "output/h.h"'
expect 1 "the plotter stage includes output"
make_tree eps/f.h '#include "output/h.h"'
expect 1 "eps includes output"
make_tree output/h.h '#include "shell/d.h"'
expect 1 "output includes shell"
make_tree eps/f.h '#include "host/runtime.h"'
expect 1 "a host implementation header"
make_tree lines/c.h '#include <vector>'
expect 1 "a standard container"
make_tree eps/f.cpp 'void Owner() { Host().ownerRecord(nullptr, nullptr); }'
expect 1 "a raw table call outside sdk"
make_tree shell/d.h 'void Write(const HostApi& host);'
expect 1 "the table type outside sdk"
make_tree shell/d.h 'const HostUiApi* ui = nullptr;'
expect 1 "the user-interface table outside sdk"
make_tree core/b.h 'bool SameHost();  // a name that only starts like the accessor'
expect 0 "names that only resemble the accessor"
make_tree sdk/a.h 'struct Vector { float x, y, z; };'
expect 1 "a vector type in sdk"
make_tree sdk/a.h 'struct PreciseMatrix { double off[3]; };'
expect 1 "a matrix type in sdk"
[ $failures -eq 0 ] && echo "layout check ok"
exit $((failures > 0))
