#!/usr/bin/env bash
# Fifteen runs in a row in one process leave nothing behind: every run opens
# and closes its test window and reports a rate, the program's windows come
# back to the same count, and its memory stays flat once Wine's own caches
# have filled (over the first few runs).
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

# Ten runs after the fifth tell a leak from Wine's noise as well as
# twenty-five did, in half the time.
RUNS=${QB_E2E_RUNS:-15}
# Slack for the noise of Wine's heap, which the 64-bit Wine on a busy machine
# grew by 2052 to 8000 kB over twenty-five runs with nothing of ours leaking;
# a leaked flip chain alone would be several megabytes per run at this screen
# size, twenty or more over the ten runs.
RSS_SLACK_KB=12288
KEYS=(space a Return F5 k)

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$QB_PID/status"; }
check_eq "the Linux process whose memory is read" "$(basename "$QB_EXE")" "$(</proc/$QB_PID/comm)"

windows_before=$(qb_probe windows)
echo "before the first run: $windows_before windows, VmRSS $(rss) kB"
run_xy=$(qb_probe center "$QB_ID_RUN")
failed_runs=""
for run in $(seq 1 "$RUNS"); do
  xdotool mousemove $run_xy click 1
  # One probe start for each look: they cost more than the looking.
  { read -r opened; read -r error; read -r class_during; } < <(
    qb_probe testwin present "$QB_WAIT" \; find '#32770' Error \; classatom Quillaby 2>/dev/null)
  if qb_wait_frames "$QB_OUT/frame.png"; then frames=shown; else frames="not shown"; fi
  qb_key_testwin "${KEYS[$((run % ${#KEYS[@]}))]}"
  # The rate line is read through the dialog's own thread, so it answers only
  # once the run command has returned, the renderer's class gone with it.
  { read -r closed; read -r rate; read -r class_after; read -r windows; } < <(
    qb_probe testwin absent "$QB_WAIT" \; text "$QB_ID_RATE" \; classatom Quillaby \; windows 2>/dev/null)
  kb=$(rss)
  echo "run $run: test window $opened then $closed, class $class_during then $class_after," \
    "frames $frames, error box $error, $windows windows, VmRSS $kb kB, $rate"
  if [ "$opened $closed $class_during $class_after $error $frames" != \
       "present absent present absent absent shown" ] ||
     ! printf '%s' "$rate" | grep -q -E -x 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' ||
     [ "${rate##*: }" = "0.00" ]; then
    failed_runs="$failed_runs $run"
  fi
  [ "$run" = 5 ] && { windows_5=$windows; rss_5=$kb; }
  # A failed run leaves its error box up; stop instead of piling up more.
  [ "$error" = present ] && break
done
windows_last=${windows:-}
rss_last=${kb:-}

check_eq "runs that didn't open and close the test window and its class, show frames and report a positive rate" "" "${failed_runs# }"
check_eq "runs made" "$RUNS" "$run"
check_eq "the program's windows after the last run, against before the first" \
  "$windows_before" "$windows_last"
check_eq "the program's windows after the last run, against after run 5" \
  "${windows_5:-}" "$windows_last"
check_eq "test window after the last run" "absent" "$(qb_probe testwin)"
check_eq "the test window's class after the last run" "absent" "$(qb_probe classatom Quillaby)"
check_num "VmRSS growth from run 5 to run $RUNS in kB" "<=" "$RSS_SLACK_KB" \
  "$(( ${rss_last:-0} - ${rss_5:-0} ))"

qb_key Escape
qb_check_ended "Escape after $RUNS runs"
check_done
