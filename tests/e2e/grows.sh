#!/usr/bin/env bash
# The screen grows mid-run, as when a monitor comes back from sleep in a larger
# mode: xrandr sets it from 800x600 to 1024x768. Wine keeps the program's
# surfaces at 800x600, so the picture can only cover the top-left 800x600 of
# the new screen: there its frame is whole, the rest of the screen holds no
# white, and after the run the dialog says how much was covered and what to do.
# The next run of the same program is the same. Prints the edge figures.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "grows" "${QB_SLOT_KIND:-none}"
# The slot is this test's alone; its next user finds the mode it expects.
restore_mode() { xrandr --output DUMMY0 --mode 800x600 2>/dev/null; }
restore_mode
trap 'restore_mode; qb_e2e_cleanup' EXIT
qb_start || exit 1

white_in() { qb_line "$1" "$2" "$3" | grep -c '^#FFFFFF$'; }
first_run() { qb_runs "$1" "$2" "$3" | head -1; }
# The edges of a capture of the 1024x768 screen: the picture's own frame at
# 800x600, and the white on the screen's right column and bottom row.
edges() {
  echo "top row: $(first_run row "$1" 0); left column: $(first_run column "$1" 0);" \
    "picture's right column 799: $(first_run column "$1" 799); picture's bottom row 599: $(first_run row "$1" 599);" \
    "white on the screen's right column: $(white_in column "$1" 1023), bottom row: $(white_in row "$1" 767)"
}
# Waits up to QB_WAIT seconds for the frame laid out on 800x600 at the top
# left of the 1024x768 screen; leaves the last capture in FILE.
wait_picture() {
  local start
  start=$(qb_clock)
  while :; do
    qb_capture "$1"
    [ "$(identify -format %wx%h "$1")" = 1024x768 ] &&
      [ "$(qb_pixels "$1" 799 599 0 599)" = "#FFFFFF #FFFFFF" ] && return 0
    [ $(($(qb_clock) - start)) -ge $((QB_WAIT * 1000)) ] && return 1
    sleep 0.2
  done
}
expected="top row: #FFFFFF 0-799; left column: #FFFFFF 0-599; picture's right column 799: #FFFFFF 0-599;"
expected="$expected picture's bottom row 599: #FFFFFF 0-799; white on the screen's right column: 0, bottom row: 0"
words="The picture covered only 800 x 600 of the 1024 x 768 screen. Start Quillaby again for a full one."
# One run on the larger screen: the picture and its edges, then a key, and
# what the dialog says after it.
check_run() { # LABEL CAPTURE
  local got before
  if wait_picture "$QB_OUT/$2.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$1: the picture on the larger screen" "shown" "$seen"
  got=$(edges "$QB_OUT/$2.png")
  echo "$1: $got"
  check_eq "$1: the edges" "$expected" "$got"
  before=$(qb_field $QB_ID_RATE)
  qb_key_testwin k
  check_eq "$1: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
  # The line of this run, not the one left by the run before.
  new_rate() { local rate; rate=$(qb_field $QB_ID_RATE); [ "$rate" != "$before" ] && echo "$rate"; }
  check_match_wait "$1: rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' new_rate
  echo "$1: the dialog says: $(qb_field $QB_ID_RATE) | $(qb_field $QB_ID_PACING) | $(qb_field $QB_ID_COVERAGE)"
  check_eq "$1: what the dialog says of the picture" "$words" "$(qb_field $QB_ID_COVERAGE)"
}

qb_click "$QB_ID_RUN"
check_eq "the run with the change: the test window opens" "present" "$(qb_wait_testwin present)"
if qb_wait_frames "$QB_OUT/before.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "before the change, the frame's corners at 800x600" "shown" "$seen"
check_eq "before the change, the coverage line" "" "$(qb_field $QB_ID_COVERAGE)"
xrandr --output DUMMY0 --mode 1024x768
QUILLABY_SCREEN=1024x768
check_run "the run with the change" after

qb_click "$QB_ID_RUN"
check_eq "next run: the test window opens" "present" "$(qb_wait_testwin present)"
check_run "next run" next
echo "captures: $QB_OUT/before.png $QB_OUT/after.png $QB_OUT/next.png"
# Back to 800x600 while the program runs: a Wine that keeps its wineserver
# misses a change made while none of its programs runs.
restore_mode
check_eq_wait "the screen to Windows programs, back to the first mode" "800x600" qb_probe screen
qb_key Escape
qb_check_ended "Escape after the runs"
check_done
