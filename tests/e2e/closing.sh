#!/usr/bin/env bash
# Every way of closing the dialog ends the program: Enter in a field, Escape,
# and the close box. Nothing of the program is left afterwards.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init

# Enter in an edit field is the dialog's default command.
qb_start || exit 1
qb_click "$QB_ID_WIDTH"
qb_key Return
qb_check_ended "Enter in the width field"

qb_start || exit 1
qb_click "$QB_ID_MULTIPLIER"
qb_key Escape
qb_check_ended "Escape"

qb_start || exit 1
xy=$(qb_probe closebox)
check_match "the close box is on the caption" '[0-9]+ [0-9]+' "$xy"
xdotool mousemove $xy click 1
qb_check_ended "the close box"

check_done
