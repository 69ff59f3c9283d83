#!/usr/bin/env bash
# The speed and width rules, applied when a person types into a field and
# moves on with Tab or with a click elsewhere.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

# Both speed fields, read in one start of the probe.
speed() {
  local multiplier divider
  { read -r multiplier; read -r divider; } < <(qb_probe text $QB_ID_MULTIPLIER \; text $QB_ID_DIVIDER)
  echo "multiplier \"$multiplier\", divider \"$divider\""
}

# A divider of 3, left with Tab, empties the multiplier.
qb_type_into "$QB_ID_DIVIDER" 3
check_eq_wait "while typing, the multiplier keeps its text" 'multiplier "1", divider "3"' speed
qb_tab
check_eq_wait "divider 3, then Tab" 'multiplier "", divider "3"' speed

# Clearing the divider too leaves both empty: the multiplier gets "1" back.
qb_type_into "$QB_ID_DIVIDER" ""
qb_click "$QB_ID_WIDTH"
check_eq_wait "both cleared, then a click on the width" 'multiplier "1", divider ""' speed

# A multiplier of 4 empties a divider of 3.
qb_type_into "$QB_ID_DIVIDER" 3
qb_click "$QB_ID_MULTIPLIER"
qb_type_into "$QB_ID_MULTIPLIER" 4
qb_tab
check_eq_wait "divider 3, then multiplier 4 and Tab" 'multiplier "4", divider ""' speed

# Numbers are kept as typed; too small ones are cleared.
qb_type_into "$QB_ID_MULTIPLIER" 007
qb_tab
check_eq_wait "multiplier 007" 'multiplier "007", divider ""' speed
qb_type_into "$QB_ID_MULTIPLIER" 0
qb_tab
check_eq_wait "multiplier 0" 'multiplier "1", divider ""' speed
qb_type_into "$QB_ID_DIVIDER" 1
qb_tab
check_eq_wait "divider 1" 'multiplier "1", divider ""' speed

# The keyboard takes only digits: a typed "-" never reaches the field.
qb_type_into "$QB_ID_WIDTH" -7
check_eq_wait "typing -7 into the width" "7" qb_field $QB_ID_WIDTH

# The width is held between 1 and 100.
qb_type_into "$QB_ID_WIDTH" 250
qb_tab
check_eq_wait "width 250" "100" qb_field $QB_ID_WIDTH
qb_type_into "$QB_ID_WIDTH" 0
qb_click "$QB_ID_BAR_RED"
check_eq_wait "width 0, then a click elsewhere" "1" qb_field $QB_ID_WIDTH
qb_type_into "$QB_ID_WIDTH" 020
qb_tab
check_eq_wait "width 020" "020" qb_field $QB_ID_WIDTH

# Pasting gets past the keyboard's digit filter.
qb_paste_into "$QB_ID_WIDTH" "-7"
check_eq_wait "-7 pasted into the width" "-7" qb_field $QB_ID_WIDTH
qb_tab
check_eq_wait "width -7, then Tab" "1" qb_field $QB_ID_WIDTH
qb_type_into "$QB_ID_DIVIDER" 3
qb_paste_into "$QB_ID_MULTIPLIER" "5x"
check_eq_wait "divider 3, then 5x pasted into the multiplier" 'multiplier "5x", divider "3"' speed
qb_tab
check_eq_wait "multiplier 5x, then Tab" 'multiplier "5x", divider ""' speed

# The colour fields have no rules.
qb_type_into "$QB_ID_BAR_GREEN" 300
qb_tab
check_eq_wait "bar green 300 is kept" "300" qb_field $QB_ID_BAR_GREEN

qb_key Escape
qb_check_ended "Escape"
check_done
