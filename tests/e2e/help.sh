#!/usr/bin/env bash
# F1 asks Wine's help engine for the program's help file, which doesn't exist.
# Once its complaint and its file dialog are closed, the program is still
# there and its dialog takes input as before.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
qb_start || exit 1

qb_click "$QB_ID_BAR_RED"
# With Ctrl held, F1 is not a request for help.
qb_key ctrl+F1
check_eq "help engine after Ctrl+F1" "absent" "$(qb_probe find '#32770' ERROR 3)"
qb_key F1
# The help engine first says the file is missing, then offers to open another.
check_eq "the help engine's error box" "present" "$(qb_probe find '#32770' ERROR "$QB_WAIT")"
check_eq "Return on the error box" "dismissed" "$(qb_dismiss '#32770' ERROR Return)"
check_eq "the help engine's file dialog" "present" "$(qb_probe find '#32770' Open "$QB_WAIT")"
check_eq "Escape on the file dialog" "dismissed" "$(qb_dismiss '#32770' Open Escape)"

helper_left() { qb_own_processes | grep winhlp32; }
check_eq_wait "the help engine has ended" "" helper_left

if qb_program_alive; then alive=running; else alive=ended; fi
check_eq "the program after help" "running" "$alive"
check_eq "its dialog" "present" "$(qb_probe find '#32770' Quillaby "$QB_WAIT")"

# The dialog answers and takes typing again.
qb_type_into "$QB_ID_BAR_RED" 12
qb_tab
check_eq_wait "bar red typed after help" "12" qb_field $QB_ID_BAR_RED
qb_type_into "$QB_ID_BAR_GREEN" 34
check_eq_wait "bar green typed after help" "34" qb_field $QB_ID_BAR_GREEN

qb_key Escape
qb_check_ended "Escape after help"
check_done
