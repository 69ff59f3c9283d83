#!/usr/bin/env bash
# A new display mode mid-run, as when a monitor comes back from sleep in
# another mode: xrandr sets the screen from 1024x768 to 800x600. Soon after
# the white frame is on all four edges of the new screen, with the bar
# whole inside it and moving; the run goes on and a key ends it. The next run
# of the same program is laid out for 800x600 too, and F10 ends it without
# reaching the dialog. Prints the program's CPU time in the 4 s after the
# change and in 4 s of that next run, a normal one.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "modes" "${QB_SLOT_KIND:-none}"
# The slot is this test's alone; it starts in the mode it expects, even after
# a run of it that was killed, and leaves it so for its next user.
restore_mode() { xrandr --output DUMMY0 --mode 1024x768 2>/dev/null; }
restore_mode
trap 'restore_mode; qb_e2e_cleanup' EXIT
qb_start || exit 1

BAR="#FF8000"  # 255 (the default), 128, 0
BACK="#0000A0" # 0, 0, 160
qb_type_into "$QB_ID_BAR_GREEN" 128
qb_type_into "$QB_ID_BAR_BLUE" 0
qb_type_into "$QB_ID_BACK_BLUE" 160

calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
cpu_mark() { echo "$(awk '{ print $14 + $15 }' "/proc/$QB_PID/stat") $(date +%s.%N)"; }
# The program's CPU time from MARK to SECONDS after it, once that has come.
cpu_since() {
  local ticks0 t0 ticks t
  read -r ticks0 t0 <<<"$1"
  sleep "$(awk -v t0="$t0" -v now="$(date +%s.%N)" -v s="$2" 'BEGIN { d = t0 + s - now; print (d > 0 ? d : 0) }')"
  read -r ticks t <<<"$(cpu_mark)"
  echo "$(calc "($ticks - $ticks0) / $(getconf CLK_TCK)") s in $(calc "$t - $t0") s"
}
# What a capture of a W x H screen shows: "right, bar at X" when all four
# edges are white along their whole length and the middle row holds the bar
# whole inside the frame; otherwise what is wrong.
picture() {
  local w=$2 h=$3 QUILLABY_SCREEN=${2}x$3 edges bar
  [ "$(identify -format %wx%h "$1")" = "${w}x$h" ] || { echo "not ${w}x$h"; return; }
  edges="$(qb_runs row "$1" 0);$(qb_runs row "$1" $((h - 1)));$(qb_runs column "$1" 0);$(qb_runs column "$1" $((w - 1)))"
  [ "$edges" = "#FFFFFF 0-$((w - 1));#FFFFFF 0-$((w - 1));#FFFFFF 0-$((h - 1));#FFFFFF 0-$((h - 1))" ] ||
    { echo "edges: $edges" | tr '\n' ' ' | cut -c 1-200; return; }
  bar=$(qb_bar_line "$1" row $((h / 2)) "$BAR" "$BACK" 20 0)
  case "$bar" in [0-9]*) echo "right, bar at $bar" ;; *) echo "middle row: $bar" ;; esac
}
start_run() { # LABEL CAPTURE
  qb_click "$QB_ID_RUN"
  check_eq "$1: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/$2.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$1: the frame's corners on the screen" "shown" "$seen"
}
end_run() { # LABEL KEY
  qb_key_testwin "$2"
  check_eq "$1: after $2, the test window" "absent" "$(qb_wait_testwin absent)"
  check_match "$1: rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' "$(qb_field $QB_ID_RATE)"
}

start_run "the run with the change" before
check_match "before the change, at 1024x768" 'right, bar at [0-9]+' "$(picture "$QB_OUT/before.png" 1024 768)"
xrandr --output DUMMY0 --mode 800x600
mark=$(cpu_mark)
QUILLABY_SCREEN=800x600
# The program looks at the monitor a few times a second; a loaded machine
# can take longer. Captures until the picture is right, then until the bar
# has moved on.
after_capture() { qb_capture "$QB_OUT/after.png" && picture "$QB_OUT/after.png" 800 600; }
check_match_wait "after the change, at 800x600" 'right, bar at [0-9]+' after_capture
after=$qb_polled
later_capture() {
  sleep 0.3
  qb_capture "$QB_OUT/after-2.png" && picture "$QB_OUT/after-2.png" 800 600
}
moved_on() { [[ "$1" =~ ^right,\ bar\ at\ [0-9]+$ ]] && [ "$1" != "$after" ]; }
qb_poll moved_on later_capture
check_match "a moment later" "right, bar at [0-9]+" "$qb_polled"
check_ne "the picture a moment later" "$after" "$qb_polled"
changed_cpu=$(cpu_since "$mark" 4)
end_run "the run with the change" k
check_match "the run with the change: the pacing line shows the gap" \
  'Frame pacing: .*, display lost for [0-9]+\.[0-9]{2} s(;.*)?' "$(qb_field $QB_ID_PACING)"

start_run "next run" next
check_match "next run, at 800x600" 'right, bar at [0-9]+' "$(picture "$QB_OUT/next.png" 800 600)"
# A figure to read, not a check: other tests share the machine's cores.
echo "CPU time of the program: in the 4 s after the change $changed_cpu, in the next run $(cpu_since "$(cpu_mark)" 4)"
end_run "next run" F10
echo "captures: $QB_OUT/before.png $QB_OUT/after.png $QB_OUT/after-2.png $QB_OUT/next.png"
# Back to 1024x768 while the program runs: a Wine that keeps its wineserver
# misses a change made while none of its programs runs.
restore_mode
check_eq_wait "the screen to Windows programs, back to the first mode" "1024x768" qb_probe screen
# Had F10 reached the dialog, it would have opened the window menu there, and
# Escape would close that instead of the dialog.
qb_key Escape
qb_check_ended "Escape after the runs"
check_done
