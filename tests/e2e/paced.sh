#!/usr/bin/env bash
# A display that keeps time: in a paced slot every flip waits for the next
# tick of the tests' clock (tests/vblank), whose log of the swaps it let
# through is the truth the pacing line is checked against. In one start of
# the program:
#   - a quiet run: the refresh within 0.05 Hz of the clock's, and as many
#     frames held for 2+ refreshes as the log shows (the machine's own
#     misses), within 1 % of the frames;
#   - a 1-2-2 judder made by the clock: counted as the log has it;
#   - the program stopped from outside for 0.3 s: one frame held about 18
#     refreshes;
#   - swaps paced at 50 Hz on a display that says 60: not tied to its refresh,
#     or, with many held, a refresh of 50 Hz by the frames.
# Each run prints the pacing line and the log's summary beside it.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "paced" "${QB_SLOT_KIND:-none}"
qb_start || exit 1

# The clock's tick, as the clock makes it: whole 100 ns.
tick_ms=$(awk -v hz="$QB_VBLANK_HZ" 'BEGIN { printf "%.6f", int(1e7 / hz + 0.5) / 1e4 }')
clock_hz=$(awk -v ms="$tick_ms" 'BEGIN { printf "%.4f", 1000 / ms }')

# |A - B|, or what is wrong with A.
off_by() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (a !~ /^[0-9.]+$/) print "none: " a; else print (a > b ? a - b : b - a) }'
}

# One run with the clock's FAULTS (words of tests/vblank/vblank.c), during
# which ACTION is done; sets line, the pacing line, and the log's counts:
# held, frames, repeated, most (ticks) and most_ms.
paced_run() { # LABEL ACTION FAULTS...
  local what=$1 action=$2 clock
  shift 2
  qb_vblank_faults "$@"
  qb_vblank_mark
  qb_click "$QB_ID_RUN"
  check_eq "$what: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/${what// /-}.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$what: the frames on the screen" "shown" "$seen"
  $action
  qb_key_testwin space
  check_eq "$what: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
  line=$(qb_field $QB_ID_PACING)
  clock=$(qb_vblank_summary)
  echo "$what: $line"
  echo "$what: $clock"
  read -r held frames repeated most most_ms < <(printf '%s\n' "$clock" |
    sed -E 's/clock: ([0-9]+) of ([0-9]+) .*\(([0-9]+) ticks repeated\), longest ([0-9]+) ticks \(([0-9.]+) ms\)/\1 \2 \3 \4 \5/')
}

# The line's frames held and refreshes repeated against the log's, within
# 1 % of the frames, and EXTRA more.
check_counts() { # LABEL [EXTRA]
  local n k slack
  read -r n k < <(qb_pacing_held "$line")
  slack=$(awk -v m="$frames" -v e="${2:-0}" 'BEGIN { print m / 100 + e }')
  check_num "$1: frames held for 2+ refreshes, against the clock's $held of $frames, off by" "<=" "$slack" "$(off_by "$n" "$held")"
  check_num "$1: refreshes repeated, against the clock's $repeated, off by" "<=" "$slack" "$(off_by "$k" "$repeated")"
}

quiet() { sleep 6; }
short() { sleep 3; }
# Sets stopped_ms to how long the program was stopped: a loaded machine
# takes a while to start the sleep. The shell's own clock, as a process
# started to read one would count.
stopped() {
  local t0
  sleep 1
  t0=${EPOCHREALTIME/[.,]/}
  kill -STOP "$QB_PID"
  sleep 0.3
  kill -CONT "$QB_PID"
  stopped_ms=$(((${EPOCHREALTIME/[.,]/} - t0) / 1000))
  sleep 1.5
}

check_eq "the pacing line before any run" "" "$(qb_field $QB_ID_PACING)"

paced_run quiet quiet
check_match "quiet: the pacing line" "Frame pacing: display [0-9.]+ Hz, .*longest [0-9]+\.[0-9] ms" "$line"
refresh=$(printf '%s' "$line" | sed -n -E 's/^Frame pacing: display ([0-9.]+) Hz,.*/\1/p')
check_num "quiet: the refresh, against the clock's $clock_hz Hz, off by" "<=" 0.05 "$(off_by "${refresh:-none}" "$clock_hz")"
check_counts quiet

paced_run judder short hold=0,1,1
check_num "judder: the clock's swaps held, of its $frames" ">=" "$(awk -v m="$frames" 'BEGIN { print int(m * 0.6) }')" "$held"
check_counts judder

paced_run stopped stopped
# About 18 refreshes, and as many more as the stop took longer: the interval
# holds the whole stop, and up to a tick before it and one after.
ticks=$(awk -v ms="$stopped_ms" -v tick="$tick_ms" 'BEGIN { print int(ms / tick) }')
echo "stopped: for $stopped_ms ms, $ticks ticks"
check_num "stopped for 0.3 s: the stop in ticks" ">=" 18 "$ticks"
check_num "stopped for 0.3 s: the clock's longest interval in ticks, against the stop's $ticks" ">=" "$ticks" "$most"
check_num "stopped for 0.3 s: the clock's longest interval in ticks, against the stop's $ticks" "<=" $((ticks + 3)) "$most"
longest=$(printf '%s' "$line" | sed -n 's/.*, longest \([0-9.]*\) ms.*/\1/p')
check_num "stopped for 0.3 s: the line's longest interval, against the clock's $most_ms ms, off by" "<=" \
  "$tick_ms" "$(off_by "${longest:-none}" "$most_ms")"
# A stop that falls while a flip waits lets it return most of a refresh
# after the tick it was shown at, as a real display would: the program then
# times that frame a refresh late, one held frame of the clock's two in a
# row becomes one held longer.
check_counts stopped 1

paced_run "50 Hz" short hz=50
# Where a loaded machine makes the clock hold many swaps for whole ticks of
# its own, the frames show a refresh of 50 Hz, and the line says so instead.
check_match "50 Hz on a display that says $QB_VBLANK_HZ: the pacing line" \
  "Frame pacing: (.*\((49\.9|50\.0)[0-9] Hz\), not tied to its refresh|DirectDraw gave $QB_VBLANK_HZ Hz, which the frames don't fit, about 50(\.[0-9]+)? Hz by the frames),.*" \
  "$line"

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
