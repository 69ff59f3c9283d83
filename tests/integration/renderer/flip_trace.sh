#!/bin/sh
# A short run under Wine's DirectDraw trace: every Flip must lead to exactly
# one swapchain present before the next Flip, so that each frame reaches the
# screen by the same path and the measured rate means what it says.
# Arguments: the wine-run wrapper, the tools folder.
set -u
wine_run=$1
tools=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

WINEDEBUG=+ddraw,+d3d "$wine_run" "$tools/timed_run.exe" 1500 >"$dir/out" 2>"$dir/trace"
status=$?
cat "$dir/out"
if [ "$status" != 0 ]; then
  echo "FAIL: the run did not end by its key press (exit status $status)"
  exit 1
fi
frames=$(sed -n 's/.*frames=\([0-9]*\).*/\1/p' "$dir/out")

# F for each Flip of the program's IDirectDrawSurface, P for each present.
grep -o -E ':trace:ddraw:ddraw_surface1_Flip |:trace:d3d:wined3d_swapchain_present ' "$dir/trace" |
  sed -e 's/.*Flip.*/F/' -e 's/.*present.*/P/' >"$dir/events"
awk -v frames="${frames:-0}" '
  /F/ { if (nf > 0 && presents != 1) { bad++; if (!first) first = nf }
        nf++; presents = 0; next }
  /P/ { if (nf == 0) early++; else presents++ }
  END {
    if (nf > 0 && presents != 1) { bad++; if (!first) first = nf }
    printf "flips=%d frames=%d flips-without-exactly-one-present=%d presents-before-first-flip=%d\n", nf, frames, bad, early
    if (nf < 10) { print "FAIL: expected at least 10 flips in the trace"; exit 1 }
    if (nf != frames) { print "FAIL: expected one flip per counted frame"; exit 1 }
    if (bad > 0) { printf "FAIL: flip %d (and %d in all) was not followed by exactly one present\n", first, bad; exit 1 }
  }' "$dir/events"
