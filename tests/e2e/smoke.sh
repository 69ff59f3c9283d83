#!/usr/bin/env bash
# A smoke test on one of the desktops people have (the slot's kind): the
# dialog appears; a run with a coloured bar shows the white frame on all four
# edges and the bar inside it; a key ends the run, the rate line reads a rate
# and the pacing line a frame time. Some kinds add checks of their own.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
kind=${QB_SLOT_KIND:-none}
check_match "the slot's kind" 'bare|desktop|dualhead|depth16|depth8' "$kind"
qb_start || exit 1

BAR="#FF8000"
BACK="#0000A0"
TOLERANCE=0
case "$kind" in
  # 565 keeps five or six bits of each channel.
  depth16) TOLERANCE=8 ;;
  # X's default colormap shows little but black and white.
  depth8) BAR="#FFFFFF"; BACK="#000000" ;;
esac

if [ "$kind" = dualhead ]; then
  devices=$(qb_probe devices)
  echo "devices: $(printf '%s\n' "$devices" | paste -s -d ';')"
  box=$(qb_probe combo)
  echo "device box: $(printf '%s\n' "$box" | paste -s -d ';')"
  check_eq "devices listed" "count=2" "$(printf '%s\n' "$box" | grep '^count=')"
  check_eq "the device on the primary monitor" "primary" \
    "$(printf '%s\n' "$devices" | awk -F'|' 'NR == 1 { print $4 }')"
  check_eq "the primary monitor's device is preselected" "selected=0" "$(printf '%s\n' "$box" | grep '^selected=')"
  check_eq "the second device's monitor" "monitor 1024 0 2048 768" \
    "$(printf '%s\n' "$devices" | awk -F'|' 'NR == 2 { print $3 }')"
  texts=$(printf '%s\n' "$box" | sed -n 's/^entry[0-9]*=[0-9]*|//p' | sort -u | wc -l)
  check_eq "the two entries can be told apart" "2" "$texts"
fi

read -r bar_r bar_g bar_b < <(printf '%d %d %d\n' 0x${BAR:1:2} 0x${BAR:3:2} 0x${BAR:5:2})
read -r back_r back_g back_b < <(printf '%d %d %d\n' 0x${BACK:1:2} 0x${BACK:3:2} 0x${BACK:5:2})
qb_type_into "$QB_ID_BAR_RED" "$bar_r"
qb_type_into "$QB_ID_BAR_GREEN" "$bar_g"
qb_type_into "$QB_ID_BAR_BLUE" "$bar_b"
qb_type_into "$QB_ID_BACK_RED" "$back_r"
qb_type_into "$QB_ID_BACK_GREEN" "$back_g"
qb_type_into "$QB_ID_BACK_BLUE" "$back_b"
before=$(qb_field $QB_ID_RATE)

qb_click "$QB_ID_RUN"
check_eq "the test window opens" "present" "$(qb_wait_testwin present)"
check_eq "no error box" "absent" "$(qb_probe find '#32770' Error)"
read -r W H < <(qb_screen_size)
shot="$QB_OUT/run.png"
if qb_wait_frames "$shot"; then seen=shown; else seen="not shown within $QB_WAIT s"; fi
echo "capture: $shot"
check_eq "the white frame's corners on the screen" "shown" "$seen"
if [ "$kind" = dualhead ]; then
  # The primary's device was chosen, and Wine's DirectDraw always takes the
  # first output anyway.
  check_eq "the test window on the primary monitor" "0 0 1024 768" "$(qb_probe testwin-rect)"
fi
WHITE="#FFFFFF"
check_eq "top row" "plain" "$(qb_bar_line "$shot" row 0 "$WHITE" "$WHITE" 0 "$TOLERANCE")"
check_eq "bottom row" "plain" "$(qb_bar_line "$shot" row $((H - 1)) "$WHITE" "$WHITE" 0 "$TOLERANCE")"
check_eq "left column" "plain" "$(qb_bar_line "$shot" column 0 "$WHITE" "$WHITE" 0 "$TOLERANCE")"
check_eq "right column" "plain" "$(qb_bar_line "$shot" column $((W - 1)) "$WHITE" "$WHITE" 0 "$TOLERANCE")"
x=$(qb_bar_line "$shot" row $((H / 2)) "$BAR" "$BACK" 20 "$TOLERANCE")
check_match "middle row: frame, background and a bar 20 wide" '[0-9]+' "$x"

qb_key_testwin space
check_eq "after a key press, the test window" "absent" "$(qb_wait_testwin absent)"
rate=$(qb_field $QB_ID_RATE)
echo "$kind: $rate"
check_ne "rate line changed" "$before" "$rate"
check_match "rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' "$rate"
check_num "rate" ">" 0 "${rate##*: }"
pacing=$(qb_field $QB_ID_PACING)
qb_print_pacing "$kind" "$pacing"
check_match "pacing line" 'Frame pacing: ([0-9]+\.[0-9]{3} ms \([0-9]+\.[0-9]{2} Hz\)|display [0-9.]+ Hz|display refresh unknown), .*longest [0-9]+\.[0-9] ms.*' "$pacing"

qb_key Escape
qb_check_ended "Escape after the run"
check_done
