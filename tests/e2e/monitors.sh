#!/usr/bin/env bash
# Two monitors on one adapter: both devices are listed, told apart, with the
# primary's preselected. The second one, chosen by keyboard, stays chosen when
# a speed or width field is left and when a test runs; the rate line reads a
# rate. Wine then runs the test on the primary monitor all the same.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "dualhead" "${QB_SLOT_KIND:-none}"
qb_start || exit 1

selected() {
  qb_probe combo | sed -n 's/^selected=//p'
}

box=$(qb_probe combo)
echo "device box: $(printf '%s\n' "$box" | paste -s -d ';')"
check_eq "devices listed" "count=2" "$(printf '%s\n' "$box" | grep '^count=')"
check_eq "the primary's entry preselected" "0" "$(selected)"
check_match "the second entry names its display" 'entry1=1\|.* \(\\\\\.\\DISPLAY2\)' \
  "$(printf '%s\n' "$box" | grep '^entry1=')"

# The device box has the focus when the dialog opens: Down chooses the next.
qb_key Down
check_eq_wait "chosen by keyboard" "1" selected

qb_click "$QB_ID_MULTIPLIER"
qb_tab
check_eq "after leaving the speed multiplier" "1" "$(selected)"
qb_click "$QB_ID_WIDTH"
qb_tab
check_eq "after leaving the bar width" "1" "$(selected)"

for run in 1 2; do
  qb_click "$QB_ID_RUN"
  check_eq "run $run: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/run-$run.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "run $run: the frames on the screen" "shown" "$seen"
  # Wine's DirectDraw takes the first output, whichever device was chosen,
  # and moves the window there while it sets up; frames come after that.
  check_eq "run $run: Wine puts the test window on the primary monitor" "0 0 1024 768" "$(qb_probe testwin-rect)"
  qb_key_testwin space
  check_eq "run $run: after a key press, the test window" "absent" "$(qb_wait_testwin absent)"
  check_eq "run $run: the second entry is still chosen" "1" "$(selected)"
  check_match "run $run: rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' "$(qb_field $QB_ID_RATE)"
done

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
