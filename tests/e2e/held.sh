#!/usr/bin/env bash
# Held keys, as a person holds them for a moment: the X server repeats a key
# held down. Holding Escape or Enter to end a run leaves the program running,
# with the dialog showing that run's rate and no new run started; holding
# Enter to press Run starts one run, which goes on until a new key press.
set -u
. "$(dirname "$0")/session.sh"
# No key of this test stays down after it, even when it ends mid-hold: the
# next test in the slot, or this one repeated, would get its repeats.
release_keys() { xdotool keyup 7 Escape Return 2>/dev/null; }
release_keys
qb_e2e_init
trap 'release_keys; qb_e2e_cleanup' EXIT
qb_start || exit 1

HOLD=1
read -r W H < <(qb_screen_size)

# Holds KEY for HOLD seconds with the pointer at X Y.
hold_key() {
  xdotool mousemove "$2" "$3" keydown "$1"
  sleep "$HOLD"
  xdotool keyup "$1"
}
# The X window of the test window, or "none".
testwin_id() {
  local id
  id=$(xdotool search --name '^Quillaby Window$' 2>/dev/null | head -1)
  echo "${id:-none}"
}
rate_of() { local line; line=$(qb_field $QB_ID_RATE); echo "${line##*: }"; }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
# Starts a run with a click and waits for its picture.
start_run() {
  qb_click "$QB_ID_RUN"
  check_eq "$1: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/$2.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$1: the frames on the screen" "shown" "$seen"
}
# The rate of a run that lasted about as long as the normal one. The bounds
# are wide: other tests share the machine, and the rate follows its load.
check_real_rate() {
  local rate
  rate=$(rate_of)
  echo "$1: rate $rate against a normal run's $normal"
  check_num "$1: rate, against at least a fifth of a normal run's" ">=" "$(calc "$normal / 5")" "$rate"
  check_num "$1: rate, against at most five times a normal run's" "<=" "$(calc "$normal * 5")" "$rate"
}

# The X server here repeats a held key: holding 7 in the width field types
# it several times.
qb_type_into "$QB_ID_WIDTH" ""
hold_key 7 $(qb_probe center "$QB_ID_WIDTH")
check_match_wait "the width field after holding 7 for $HOLD s" '777+' qb_field $QB_ID_WIDTH
qb_type_into "$QB_ID_WIDTH" 20
check_eq_wait "the width field typed over" "20" qb_field $QB_ID_WIDTH

start_run "normal run" normal
sleep 2
qb_key_testwin k
check_eq "normal run: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
normal=$(rate_of)
check_num "normal run: rate" ">" 0 "$normal"

start_run "ended by a held Escape" escape
sleep 2
hold_key Escape $((W / 2)) $((H / 2))
# Time for a program that a repeated Escape wrongly closed to end.
sleep 1
if qb_program_alive; then alive=running; else alive=ended; fi
check_eq "after holding Escape to end the run, the program" "running" "$alive"
[ "$alive" = running ] || { check_done; exit 1; }
check_eq "after holding Escape: the dialog" "present" "$(qb_probe find '#32770' Quillaby "$QB_WAIT")"
check_eq "after holding Escape: the test window" "absent" "$(qb_wait_testwin absent)"
check_real_rate "ended by a held Escape"

# The Run button keeps the focus from its click, so a repeated Enter that
# reached the dialog would run again.
start_run "ended by a held Enter" enter
sleep 2
run_id=$(testwin_id)
# Looks at the test window five times during the hold, then after it until
# the teardown is done: it is the run's own, then none; a new one would be a
# new run.
xdotool mousemove $((W / 2)) $((H / 2)) keydown Return
seen=""
look() {
  last=$(testwin_id)
  [ "$last" = "$run_id" ] && last=own
  seen="$seen $last"
}
for i in 1 2 3 4 5; do
  sleep 0.2
  look
done
xdotool keyup Return
start=$(qb_clock)
while [ "$last" = own ] && [ $(($(qb_clock) - start)) -lt $((QB_WAIT * 1000)) ]; do
  sleep 0.2
  look
done
echo "the test window after the hold: $seen, $(qb_since "$start") s after the key came up"
check_match "the test window while Enter is held to end the run, and after" '( own)*( none)+' "$seen"
# Time for a run that a repeated Enter wrongly started to open its window.
sleep 2
check_eq "2 s after holding Enter to end the run: the test window" "absent" "$(qb_probe testwin)"
check_eq "after holding Enter: the dialog" "present" "$(qb_probe find '#32770' Quillaby "$QB_WAIT")"
check_real_rate "ended by a held Enter"

# Enter on the focused Run button, held: one run, not a run per repeat. The
# key stays down for HOLD seconds once the test window is there.
xdotool mousemove $(qb_probe center "$QB_ID_RATE") keydown Return
start=$(qb_clock)
first=none
while [ "$first" = none ] && [ $(($(qb_clock) - start)) -lt $((QB_WAIT * 1000)) ]; do
  sleep 0.1
  first=$(testwin_id)
done
echo "waited $(qb_since "$start") s for the test window while Enter is held"
sleep "$HOLD"
during=$(testwin_id)
xdotool keyup Return
check_match "while Enter is held after pressing Run, the test window" '[0-9]+' "$first"
check_eq "the test window at the end of the hold, against when it came" "$first" "$during"
# Time for a second run that a repeat wrongly started to replace the first.
sleep 1
check_eq "a second after Enter comes up, the same run" "$first" "$(testwin_id)"
if qb_wait_frames "$QB_OUT/enter-start.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "run started by a held Enter: the frames on the screen" "shown" "$seen"
qb_key_testwin k
check_eq "run started by a held Enter: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
check_real_rate "started by a held Enter"

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
