#!/usr/bin/env bash
# A lost display, on a desktop with a window manager: mid-run another program
# (Wine's notepad) takes the foreground for about five seconds, then the test
# window is given back as Alt+Tab would. The run goes on and a key ends it;
# while the display was lost the program used little CPU; and the rate line
# counts only the frames shown over the whole run, so it is about what a
# normal run (one before and one after) draws with the same CPU time, over
# the run's length, while the pacing line says how long the display was lost.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "desktop" "${QB_SLOT_KIND:-none}"
qb_start || exit 1

LOST_SECONDS=5
HZ=$(getconf CLK_TCK)
NOTEPAD=""
lost_cleanup() {
  [ -n "$NOTEPAD" ] && kill "$NOTEPAD" 2>/dev/null && wait "$NOTEPAD" 2>/dev/null
  qb_e2e_cleanup
}
trap lost_cleanup EXIT

now() { date +%s.%N; }
# CPU time of the program's process so far, in clock ticks (user + system).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$QB_PID/stat"; }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
rate_of() { local line; line=$(qb_field $QB_ID_RATE); echo "${line##*: }"; }

# The program's CPU time and the wall time of a run, from the click on Run to
# the test window's going: run_begin, then run_end sets run_cpu (seconds) and
# run_wall.
run_begin() { run_ticks0=$(cpu_ticks); run_t0=$(now); }
run_end() {
  run_cpu=$(calc "($(cpu_ticks) - $run_ticks0) / $HZ")
  run_wall=$(calc "$(now) - $run_t0")
}

# A normal run, for comparison: sets normal_rate, and normal_fpc, the frames
# it drew per second of the program's CPU time. Drawing takes the program's
# CPU, so frames follow its CPU time whatever else the machine is doing,
# while the rate follows the machine's load, by three times and more as the
# other tests come and go.
normal_run() { # LABEL CAPTURE
  qb_click "$QB_ID_RUN"
  run_begin
  check_eq "$1: the test window opens" "present" "$(qb_wait_testwin present)"
  if qb_wait_frames "$QB_OUT/$2.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
  check_eq "$1: the frames on the screen" "shown" "$seen"
  sleep 3
  qb_key_testwin k
  check_eq "$1: after a key, the test window" "absent" "$(qb_wait_testwin absent)"
  run_end
  normal_rate=$(rate_of)
  check_num "$1: rate" ">" 0 "$normal_rate"
  normal_fpc=$(calc "$normal_rate * $run_wall / ($run_cpu > 0 ? $run_cpu : 0.01)")
  echo "$1: rate $normal_rate over $run_wall s, $run_cpu s of CPU: $normal_fpc frames per CPU second"
}
normal_run "normal run" normal
normal_before=$normal_fpc

# The run that loses the display.
qb_click "$QB_ID_RUN"
run_begin
check_eq "the test window opens" "present" "$(qb_wait_testwin present)"
if qb_wait_frames "$QB_OUT/before.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "the frames on the screen before the display is lost" "shown" "$seen"
sleep 2

t_lost=$(now)
ticks_lost=$(cpu_ticks)
"$QB_WINE_RUN" notepad >/dev/null 2>&1 </dev/null &
NOTEPAD=$!
notepad="not shown within $QB_WAIT s"
for i in $(seq 1 100); do
  if xdotool search --onlyvisible --name 'Notepad' >/dev/null 2>&1; then notepad=shown; break; fi
  sleep 0.2
done
check_eq "another program's window takes the foreground" "shown" "$notepad"
sleep 0.5
qb_capture "$QB_OUT/lost.png"
ticks0=$(cpu_ticks)
t0=$(now)
sleep "$LOST_SECONDS"
ticks1=$(cpu_ticks)
t1=$(now)
used=$(calc "($ticks1 - $ticks0) / $HZ")
interval=$(calc "$t1 - $t0")
echo "while lost: $used s of CPU in $interval s"
check_eq "while lost, the run goes on" "present" "$(qb_probe testwin)"
# A loop that tries again at full speed burns at least a whole core.
check_num "CPU seconds used in ${interval} s lost" "<=" "$(calc "$interval / 10")" "$used"

# Alt+Tab: the window manager maps the test window again and activates it.
testwin=$(xdotool search --name '^Quillaby Window$' | head -1)
check_match "the test window's X window" '[0-9]+' "$testwin"
xdotool windowmap "$testwin" windowactivate "$testwin" 2>/dev/null
if qb_wait_frames "$QB_OUT/back.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
t_back=$(now)
ticks_back=$(cpu_ticks)
check_eq "the frames on the screen once the test window is back" "shown" "$seen"
sleep 2
qb_key_testwin k
check_eq "after a key, the test window" "absent" "$(qb_wait_testwin absent)"
run_end
lost=$(rate_of)
check_match "rate line" '[0-9]+\.[0-9]{2}' "$lost"
pacing=$(qb_field $QB_ID_PACING)
echo "$pacing"
lost_for=$(printf '%s' "$pacing" | sed -n 's/.*display lost for \([0-9.]*\) s.*/\1/p')
check_num "seconds lost in the pacing line, against the $LOST_SECONDS s held" ">=" "$LOST_SECONDS" "${lost_for:-none}"
check_num "seconds lost in the pacing line, against the time from the other program's start to the picture's return" \
  "<=" "$(calc "$t_back - $t_lost + 1")" "${lost_for:-none}"

kill "$NOTEPAD" 2>/dev/null && wait "$NOTEPAD" 2>/dev/null
NOTEPAD=""
# The CPU time while the picture was shown: what giving the display up and
# taking it back costs draws nothing.
lost_cpu=$(calc "$run_cpu - ($ticks_back - $ticks_lost) / $HZ")
lost_wall=$run_wall
normal_run "normal run after" normal-after
normal_after=$normal_fpc

# While the display was lost the program drew nothing; so the run drew about
# as many frames as a normal run draws with the CPU time it had while the
# picture was shown, and its rate is those frames over the whole run, lost time
# and all. A rate over the shown time alone would be twice that and more, and
# one that counted the flips that failed while lost, many times more.
read -r slower faster < <(printf '%s\n%s\n' "$normal_before" "$normal_after" | sort -g | tr '\n' ' ')
low=$(calc "$slower * $lost_cpu / $lost_wall")
high=$(calc "$faster * $lost_cpu / $lost_wall")
echo "frames per CPU second: normal runs $normal_before and $normal_after; run with the display lost: rate $lost," \
  "$lost_cpu s of CPU while shown in $lost_wall s, so about $low to $high"
check_num "rate with the display lost, against at most twice the expected $high" "<=" \
  "$(calc "$high * 2")" "$lost"
check_num "rate with the display lost, against at least a third of the expected $low" ">=" \
  "$(calc "$low / 3")" "$lost"

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
