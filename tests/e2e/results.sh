#!/usr/bin/env bash
# What a run leaves to see and take along. Before a run the picture says what
# it will show, and Ctrl+C copies nothing. A run stopped from outside for a
# moment (SIGSTOP, SIGCONT) then shows in the picture: its lines, its
# frames, and the pause marked in red; Copy and Ctrl+C put the run's report
# on the clipboard, with the dialog's own rate and pacing lines in it. On a
# paced slot the clock holds every second frame for a refresh more instead,
# and the report counts half the frames at two refreshes.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

QB_ID_GRAPH=1014
QB_ID_COPY=1015
# How many pixels of a colour the picture has in capture FILE.
graph_pixels() {
  local l t r b
  read -r l t r b < <(qb_probe rect $QB_ID_GRAPH)
  "$QB_CONVERT" "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -depth 8 txt:- |
    awk -v c="$2" 'NR > 1 && $3 == c { n++ } END { print n + 0 }'
}

qb_probe clip "nothing of Quillaby's" >/dev/null
qb_key ctrl+c
sleep 0.5 # time for a copy that must not come
check_eq "the clipboard after Ctrl+C before any run" "nothing of Quillaby's" "$(qb_probe pasted)"
qb_capture "$QB_OUT/before.png"
check_eq "the picture's lines before any run" 0 "$(graph_pixels "$QB_OUT/before.png" '#808080')"

paced=${QB_VBLANK_HZ:-}
[ -n "$paced" ] && qb_vblank_faults hold=0,1 && qb_vblank_mark
qb_click "$QB_ID_RUN"
check_eq "the test window opens" "present" "$(qb_wait_testwin present)"
if qb_wait_frames "$QB_OUT/run.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "the frames on the screen" "shown" "$seen"
sleep 1 # frames to draw before the pause
if [ -z "$paced" ]; then
  kill -STOP "$QB_PID"
  sleep 0.3
  kill -CONT "$QB_PID"
fi
sleep 1
qb_key_testwin space
check_eq "after a key, the test window" "absent" "$(qb_wait_testwin absent)"

rate=$(qb_field $QB_ID_RATE)
pacing=$(qb_field $QB_ID_PACING)
echo "$rate"
echo "$pacing"
shot="$QB_OUT/after.png"
qb_capture "$shot"
check_num "the picture's lines after the run, in pixels" ">" 20 "$(graph_pixels "$shot" '#808080')"
check_num "its frames, in pixels" ">" 20 "$(graph_pixels "$shot" '#000000')"
check_num "the held frames marked, in pixels" ">" 0 "$(graph_pixels "$shot" '#FF0000')"

first_line() { qb_probe pasted | tr -d '\r' | head -n 1; }
qb_click "$QB_ID_COPY"
check_match_wait "the report's first line after Copy" \
  'Quillaby [0-9]+\.[0-9]+\.[0-9]+, run of [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}' first_line
report=$(qb_probe pasted | tr -d '\r')
printf '%s\n' "$report"
check_eq "the rate line in the report" "$rate" "$(printf '%s\n' "$report" | grep '^Rendered frames/sec')"
check_eq "the pacing line in the report" "$pacing" "$(printf '%s\n' "$report" | grep '^Frame pacing: ')"
check_match "the display mode in the report" '^Display mode: [0-9]+ x [0-9]+, (8|16|24|32) bits per pixel$' \
  "$(printf '%s\n' "$report" | grep '^Display mode: ')"

if [ -n "$paced" ]; then
  qb_print_pacing "1-2 judder" "$pacing"
  read -r one two < <(printf '%s\n' "$report" | sed -n -E 's/^Frames by the refreshes they stayed: 0 \(early\) [0-9]+, 1 ([0-9]+), 2 ([0-9]+),.*/\1 \2/p')
  check_num "frames that stayed one refresh, in the report" ">" 0 "${one:-none}"
  check_num "frames held for two, against those of one, in %" ">=" 80 "$(( ${two:-0} * 100 / ${one:-1} ))"
fi

qb_probe clip "something else" >/dev/null
qb_key ctrl+c
check_match_wait "the report's first line after Ctrl+C" 'Quillaby .*, run of .*' first_line

qb_key Escape
qb_check_ended "Escape after the run"
check_done
