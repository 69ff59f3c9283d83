#!/usr/bin/env bash
# One run with chosen colours, watched on the screen: the background, the
# white frame on all four edges, the bar in its colour inside the frame and
# moving; then a key ends it, the rate line shows a positive rate and the
# pacing line a frame time, or in a paced slot the display's refresh.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

BAR="#FF8000"      # 255, 128, 0
BACK="#0000A0"     # 0, 0, 160
WHITE="#FFFFFF"
qb_type_into "$QB_ID_BAR_RED" 255
qb_type_into "$QB_ID_BAR_GREEN" 128
qb_type_into "$QB_ID_BAR_BLUE" 0
qb_type_into "$QB_ID_BACK_RED" 0
qb_type_into "$QB_ID_BACK_GREEN" 0
qb_type_into "$QB_ID_BACK_BLUE" 160
before=$(qb_field $QB_ID_RATE)

qb_click "$QB_ID_RUN"
check_eq "the test window opens" "present" "$(qb_wait_testwin present)"
check_eq "no error box" "absent" "$(qb_probe find '#32770' Error)"
check_eq "the test window's class while the run lasts" "present" "$(qb_probe classatom Quillaby)"

read -r W H < <(qb_screen_size)
shot1="$QB_OUT/run-1.png"
if qb_wait_frames "$shot1"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "the white frame's corners on the screen" "shown" "$seen"

# The bar's left edge along the middle row, after checking the row's shape:
# white, background, the bar (20 wide) somewhere inside, background, white.
bar_left() {
  local runs shape
  runs=$(qb_runs row "$1" $((H / 2)))
  shape=$(printf '%s\n' "$runs" | awk -v bar="$BAR" -v back="$BACK" -v w="$W" '
    { split($2, r, "-"); n = r[2] - r[1] + 1 }
    NR == 1 { if ($0 != "#FFFFFF 0-0") bad = 1; next }
    $1 == bar { bars++; left = r[1]; width = n; next }
    $1 == back { next }
    $0 == "#FFFFFF " (w - 1) "-" (w - 1) { last = 1; next }
    { bad = 1 }
    END { if (bad || !last || bars != 1) print "bad"; else print left, width }')
  if [ "$shape" = bad ]; then
    echo "middle row of $1: $(printf '%s\n' "$runs" | head -8 | tr '\n' ',')" >&2
  fi
  echo "$shape"
}

read -r x1 width1 < <(bar_left "$shot1")
check_match "middle row: white, background, a bar, background, white" '[0-9]+' "$x1"
if [ "$x1" != bad ]; then
  check_eq "bar width on the screen" "20" "$width1"
  check_num "bar starts inside the left edge" ">=" 1 "$x1"
  check_num "bar ends inside the right edge" "<=" $((W - 2)) "$((x1 + width1 - 1))"
fi

# The frame: the top and bottom rows and the outer columns are white all along.
check_eq "top row" "$WHITE 0-$((W - 1))" "$(qb_runs row "$shot1" 0 | paste -s -d ,)"
check_eq "bottom row" "$WHITE 0-$((W - 1))" "$(qb_runs row "$shot1" $((H - 1)) | paste -s -d ,)"
check_eq "left column" "$WHITE 0-$((H - 1))" "$(qb_runs column "$shot1" 0 | paste -s -d ,)"
check_eq "right column" "$WHITE 0-$((H - 1))" "$(qb_runs column "$shot1" $((W - 1)) | paste -s -d ,)"

# The bar spans every row inside the frame, and so does the background
# away from it.
if [ "$x1" != bad ]; then
  bar_x=$((x1 + 10))
  back_x=$(( x1 > W / 2 ? 5 : W - 6 ))
  check_eq "column through the bar" "$WHITE 0-0,$BAR 1-$((H - 2)),$WHITE $((H - 1))-$((H - 1))" \
    "$(qb_runs column "$shot1" $bar_x | paste -s -d ,)"
  check_eq "column through the background" "$WHITE 0-0,$BACK 1-$((H - 2)),$WHITE $((H - 1))-$((H - 1))" \
    "$(qb_runs column "$shot1" $back_x | paste -s -d ,)"
fi

# A moment later the bar is elsewhere: captures until it has moved, as a
# loaded machine may give the program no time for a while.
shot2="$QB_OUT/run-2.png"
start=$(qb_clock)
while :; do
  sleep 0.3
  qb_capture "$shot2"
  read -r x2 width2 < <(bar_left "$shot2")
  [ "$x2" != "$x1" ] || [ $(($(qb_clock) - start)) -ge $((QB_WAIT * 1000)) ] && break
done
echo "captures: $shot1 $shot2, the second $(qb_since "$start") s after the first"
check_match "second capture: the middle row has the same shape" '[0-9]+' "$x2"
check_ne "bar position a moment later" "$x1" "$x2"

# Any key ends the run.
qb_key_testwin k
check_eq "after a key press, the test window" "absent" "$(qb_wait_testwin absent)"
check_eq_wait "the test window's class after the run" "absent" qb_probe classatom Quillaby
rate=$(qb_field $QB_ID_RATE)
check_ne "rate line changed" "$before" "$rate"
check_match "rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' "$rate"
check_num "rate" ">" 0 "${rate##*: }"
pacing=$(qb_field $QB_ID_PACING)
qb_print_pacing "${QB_SLOT_KIND:-here}" "$pacing"
if [ -n "${QB_VBLANK_HZ:-}" ]; then
  # Flips that wait for a clock at the display's rate: counted in refreshes.
  check_match "pacing line" 'Frame pacing: display [0-9.]+ Hz, .*longest [0-9]+\.[0-9] ms.*' "$pacing"
else
  check_match "pacing line" 'Frame pacing: ([0-9]+\.[0-9]{3} ms \([0-9]+\.[0-9]{2} Hz\), )?display refresh unknown, .*longest [0-9]+\.[0-9] ms.*' "$pacing"
fi
check_eq "the colours stay as typed" "255 128 0 / 0 0 160" \
  "$(qb_field $QB_ID_BAR_RED) $(qb_field $QB_ID_BAR_GREEN) $(qb_field $QB_ID_BAR_BLUE) / $(qb_field $QB_ID_BACK_RED) $(qb_field $QB_ID_BACK_GREEN) $(qb_field $QB_ID_BACK_BLUE)"

# The Run button kept the focus from its click: Enter on it runs again
# instead of closing the dialog.
qb_key Return
check_eq "Enter on the Run button: the test window" "present" "$(qb_wait_testwin present)"
if qb_wait_frames "$QB_OUT/run-3.png"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
check_eq "Enter on the Run button: the frames on the screen" "shown" "$seen"
qb_key_testwin Escape
check_eq "after Escape on the test window, the test window" "absent" "$(qb_wait_testwin absent)"
check_eq "the dialog after the second run" "present" "$(qb_probe find '#32770' Quillaby "$QB_WAIT")"
check_match "rate line after the second run" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' \
  "$(qb_field $QB_ID_RATE)"

qb_key Escape
qb_check_ended "Escape after the runs"
check_done
