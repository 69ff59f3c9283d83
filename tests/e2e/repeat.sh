#!/usr/bin/env bash
# Thirty runs in a row in one process leave nothing behind: every run opens
# and closes its test window and reports a rate, the program's windows come
# back to the same count, and its memory stays flat once Wine's own caches
# have filled (over the first few runs).
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

RUNS=${QB_E2E_RUNS:-30}
# Slack for the noise of Wine's heap; a leaked flip chain alone would be
# several megabytes per run at this screen size.
RSS_SLACK_KB=2048
KEYS=(space a Return F5 k)

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$QB_PID/status"; }

windows_before=$(qb_probe windows)
echo "before the first run: $windows_before windows, VmRSS $(rss) kB"
failed_runs=""
rates=""
for run in $(seq 1 "$RUNS"); do
  qb_click "$QB_ID_RUN"
  opened=$(qb_wait_testwin present 15)
  error=$(qb_probe find '#32770' Error)
  sleep 0.3
  qb_key_testwin "${KEYS[$((run % ${#KEYS[@]}))]}"
  closed=$(qb_wait_testwin absent 10)
  sleep "$QB_SETTLE"
  rate=$(qb_field $QB_ID_RATE)
  windows=$(qb_probe windows 2>/dev/null)
  kb=$(rss)
  echo "run $run: test window $opened then $closed, error box $error, $windows windows, VmRSS $kb kB, $rate"
  if [ "$opened $closed $error" != "present absent absent" ] ||
     ! printf '%s' "$rate" | grep -q -E -x 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' ||
     [ "${rate##*: }" = "0.00" ]; then
    failed_runs="$failed_runs $run"
  fi
  rates="$rates ${rate##*: }"
  [ "$run" = 5 ] && { windows_5=$windows; rss_5=$kb; }
  # A failed run leaves its error box up; stop instead of piling up more.
  [ "$error" = present ] && break
done
windows_last=${windows:-}
rss_last=${kb:-}

check_eq "runs that didn't open, close and report a positive rate" "" "${failed_runs# }"
check_eq "runs made" "$RUNS" "$run"
check_eq "the program's windows after the last run, against before the first" \
  "$windows_before" "$windows_last"
check_eq "the program's windows after the last run, against after run 5" \
  "${windows_5:-}" "$windows_last"
check_eq "test window after the last run" "absent" "$(qb_probe testwin)"
check_num "VmRSS growth from run 5 to run $RUNS in kB" "<=" "$RSS_SLACK_KB" \
  "$(( ${rss_last:-0} - ${rss_5:-0} ))"
# Each run registers the test window's class anew; that succeeded every time
# (no error box), so each run before it had unregistered it.

qb_key Escape
qb_check_ended "Escape after $RUNS runs"
check_done
