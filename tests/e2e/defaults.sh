#!/usr/bin/env bash
# A fresh start shows the defaults, centred on the screen, with Wine's display
# device chosen in the device box.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

fields=$(qb_probe fields)
field() { printf '%s\n' "$fields" | sed -n "s/^$1=//p"; }
check_eq "Run button" "Run" "$(field $QB_ID_RUN)"
check_eq "speed multiplier" "1" "$(field $QB_ID_MULTIPLIER)"
check_eq "speed divider" "" "$(field $QB_ID_DIVIDER)"
check_eq "bar width" "20" "$(field $QB_ID_WIDTH)"
check_eq "bar colour" "255 255 255" \
  "$(field $QB_ID_BAR_RED) $(field $QB_ID_BAR_GREEN) $(field $QB_ID_BAR_BLUE)"
check_eq "background colour" "0 0 0" \
  "$(field $QB_ID_BACK_RED) $(field $QB_ID_BACK_GREEN) $(field $QB_ID_BACK_BLUE)"
check_eq "rate line" "Rendered frames/sec on last run:" "$(field $QB_ID_RATE)"

# One Xvfb screen: DirectDraw reports its primary driver without a GUID and
# the screen's device with one; only the latter is listed, and it holds the
# dialog's monitor.
box=$(qb_probe combo)
printf 'device box:\n%s\n' "$box" | sed '2,$s/^/  /'
entry() { printf '%s\n' "$box" | sed -n "s/^$1=//p"; }
check_eq "devices listed" "1" "$(entry count)"
check_eq "selected entry" "0" "$(entry selected)"
check_eq "selected entry's item data" "0" "$(entry entry0 | cut -d'|' -f1)"
check_ne "selected device's description" "" "$(entry text)"
check_eq "device box shows the selected entry" "$(entry entry0 | cut -d'|' -f2-)" "$(entry text)"

# Centred in the work area, which under Xvfb without a panel is the screen.
read -r sw sh < <(qb_screen_size)
read -r left top right bottom < <(qb_probe dialog-rect)
check_num "dialog's left margin less its right margin" "<=" 1 \
  "$(( left - (sw - right) < 0 ? (sw - right) - left : left - (sw - right) ))"
check_num "dialog's top margin less its bottom margin" "<=" 1 \
  "$(( top - (sh - bottom) < 0 ? (sh - bottom) - top : top - (sh - bottom) ))"

qb_key Escape
qb_check_ended "Escape"
check_done
