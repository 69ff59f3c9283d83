#!/usr/bin/env bash
# Frame pacing seen from outside. The pacing line is empty before any run. In
# a run the program is stopped for a known pause (SIGSTOP, SIGCONT), as a
# stalled machine would stop it; the line then says that the display gave no
# refresh (Xvfb), and counts at least one frame late or held and a longest
# interval of at least the pause. QB_PAUSES lists the pauses in seconds, a run each.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

PAUSES=${QB_PAUSES:-0.3}
check_eq "the pacing line before any run" "" "$(qb_field $QB_ID_PACING)"
for pause in $PAUSES; do
  what="paused for $pause s"
  qb_click "$QB_ID_RUN"
  check_eq "$what: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/run-$pause.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$what: the frames on the screen" "shown" "$seen"
  sleep 1
  kill -STOP "$QB_PID"
  sleep "$pause"
  kill -CONT "$QB_PID"
  sleep 1
  qb_key_testwin space
  check_eq "$what: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
  line=$(qb_field $QB_ID_PACING)
  echo "$what: $line"
  check_match "$what: pacing line" 'Frame pacing: ([0-9]+\.[0-9]{3} ms \([0-9]+\.[0-9]{2} Hz\), )?display refresh unknown, .*longest [0-9]+\.[0-9] ms' "$line"
  # Against the frames' own typical time a late frame, against a step that
  # the intervals show a frame held for 2+ refreshes: a count either way.
  held=$(printf '%s' "$line" | sed -n -E 's/.*, ([0-9]+) (late frames?|of [0-9]+ frames? held for 2\+ refreshes).*/\1/p')
  longest=$(printf '%s' "$line" | sed -n 's/.*, longest \([0-9.]*\) ms.*/\1/p')
  check_num "$what: frames late or held" ">=" 1 "${held:-none}"
  check_num "$what: longest interval in ms" ">=" "$(awk "BEGIN { print $pause * 1000 }")" "${longest:-none}"
done

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
