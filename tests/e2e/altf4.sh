#!/usr/bin/env bash
# Alt held to end a run, then F4 a moment later, as people leave a full-screen
# program: Alt ends the run, and the Alt+F4 that follows (the window
# manager's close under openbox) leaves the dialog with the run's results.
# Once Alt is up, Alt+F4 closes the dialog as always.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
# A key left down would reach every later test of this slot.
release_keys() { xdotool keyup alt F4 2>/dev/null; }
release_keys
trap 'release_keys; qb_e2e_cleanup' EXIT
check_eq "the slot's kind" "desktop" "${QB_SLOT_KIND:-none}"
qb_start || exit 1
read -r W H < <(qb_screen_size)

qb_click "$QB_ID_RUN"
check_eq "the test window opens" "present" "$(qb_wait_testwin present "$QB_WAIT")"
if qb_wait_frames "$QB_OUT/run.png" "$QB_WAIT"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "the frames on the screen" "shown" "$seen"
xdotool mousemove $((W / 2)) $((H / 2)) keydown alt
check_eq "Alt held: the test window" "absent" "$(qb_wait_testwin absent "$QB_WAIT")"
xdotool key F4
# Alt stays down a moment after F4, as a hand leaves the keys.
sleep 0.25
xdotool keyup alt
# Time must pass here: a close that came would take a moment to land.
sleep 2
check_eq "after Alt then F4, the program" "running" "$(qb_program_alive && echo running || echo ended)"
check_eq "after Alt then F4, the dialog" "present" "$(qb_probe find '#32770' Quillaby "$QB_WAIT")"
check_match_wait "the rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' qb_field $QB_ID_RATE
echo "the dialog says: $(qb_field $QB_ID_RATE) | $(qb_field $QB_ID_PACING) | $(qb_field $QB_ID_COVERAGE)"

qb_key alt+F4
qb_check_ended "Alt+F4 once the keys are up"
check_done
