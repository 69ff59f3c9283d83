#!/usr/bin/env bash
# A new display mode in the middle of a run, as when a monitor comes back from
# sleep in another mode: xrandr sets the screen from 1024x768 to 800x600.
# Within a second the white frame is on all four edges of the new screen and
# the bar moves inside it; the run goes on and counts frames, and a key ends
# it. The next run of the same program is laid out for 800x600 too, and F10
# ends it without reaching the dialog. Prints the CPU time of the program in
# the 4 s after the change and that of a normal run.
set -u
. "$(dirname "$0")/session.sh"
qb_e2e_init
check_eq "the slot's kind" "modes" "${QB_SLOT_KIND:-none}"

OUTPUT=DUMMY0
modes_cleanup() {
  # The slot is this test's alone; its next user finds the mode it expects.
  xrandr --output "$OUTPUT" --mode 1024x768 2>/dev/null
  qb_e2e_cleanup
}
trap modes_cleanup EXIT
xrandr --output "$OUTPUT" --mode 1024x768
qb_start || exit 1

BAR="#FF8000"      # 255, 128, 0
BACK="#0000A0"     # 0, 0, 160
WHITE="#FFFFFF"
WIDTH=20
qb_type_into "$QB_ID_BAR_RED" 255
qb_type_into "$QB_ID_BAR_GREEN" 128
qb_type_into "$QB_ID_BAR_BLUE" 0
qb_type_into "$QB_ID_BACK_RED" 0
qb_type_into "$QB_ID_BACK_GREEN" 0
qb_type_into "$QB_ID_BACK_BLUE" 160

HZ=$(getconf CLK_TCK)
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
# Whether SECONDS have passed since START.
past() { awk -v t="$(now)" -v start="$1" -v s="$2" 'BEGIN { exit !(t - start >= s) }'; }
bar_of() { echo "$1" | sed -n 's/.*bar at \([0-9]*\).*/\1/p'; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$QB_PID/stat"; }
rate_of() { local line; line=$(qb_field $QB_ID_RATE); echo "${line##*: }"; }

# What a capture of a W x H screen shows: "right, bar at X" when the screen
# has that size, all four edges are white along their whole length and the
# middle row holds the bar whole inside the frame; otherwise the first thing
# that is wrong.
picture() {
  local file=$1 w=$2 h=$3 size edge got
  size=$(identify -format '%wx%h' "$file")
  [ "$size" = "${w}x$h" ] || { echo "a ${size} screen"; return; }
  for edge in "row 0 $w" "row $((h - 1)) $w" "column 0 $h" "column $((w - 1)) $h"; do
    set -- $edge
    got=$(QUILLABY_SCREEN=${w}x$h qb_runs "$1" "$file" "$2" | paste -s -d ,)
    [ "$got" = "$WHITE 0-$(($3 - 1))" ] || { echo "$1 $2: $got" | cut -c 1-160; return; }
  done
  got=$(QUILLABY_SCREEN=${w}x$h qb_bar_line "$file" row $((h / 2)) "$BAR" "$BACK" "$WIDTH" 0)
  case "$got" in
    [0-9]*) echo "right, bar at $got" ;;
    *) echo "middle row: $got" ;;
  esac
}

# A normal run at 1024x768 first, for comparison.
qb_click "$QB_ID_RUN"
check_eq "normal run: the test window opens" "present" "$(qb_wait_testwin present 15)"
if qb_wait_frames "$QB_OUT/normal.png" 20; then seen=shown; else seen="not shown within 20 s"; fi
check_eq "normal run: the frames on the screen" "shown" "$seen"
ticks0=$(cpu_ticks)
t0=$(now)
sleep 4
normal_cpu="$(calc "($(cpu_ticks) - $ticks0) / $HZ") s in $(calc "$(now) - $t0") s"
qb_key_testwin k
check_eq "normal run: after a key, the test window" "absent" "$(qb_wait_testwin absent 10)"
normal=$(rate_of)
check_num "normal run: rate" ">" 0 "$normal"

# The run during which the mode changes.
qb_click "$QB_ID_RUN"
check_eq "the test window opens" "present" "$(qb_wait_testwin present 15)"
if qb_wait_frames "$QB_OUT/before.png" 20; then seen=shown; else seen="not shown within 20 s"; fi
check_eq "the frames on the screen at 1024x768" "shown" "$seen"
before=$(picture "$QB_OUT/before.png" 1024 768)
echo "before the change: $before"
check_match "before the change, the picture" 'right, bar at [0-9]+' "$before"

xrandr --output "$OUTPUT" --mode 800x600
t_change=$(now)
ticks0=$(cpu_ticks)
QUILLABY_SCREEN=800x600
# A capture takes a while on a loaded machine: one, a second after the change.
while ! past "$t_change" 1; do sleep 0.05; done
qb_capture "$QB_OUT/after.png"
after=$(picture "$QB_OUT/after.png" 800 600)
echo "a second after the change: $after"
check_match "a second after the change, the picture" 'right, bar at [0-9]+' "$after"
sleep 0.5
qb_capture "$QB_OUT/after-2.png"
later=$(picture "$QB_OUT/after-2.png" 800 600)
echo "a moment later: $later"
check_match "a moment later, the picture" 'right, bar at [0-9]+' "$later"
check_ne "the bar's place a moment later" "$(bar_of "$after")" "$(bar_of "$later")"
while ! past "$t_change" 4; do sleep 0.1; done
changed_cpu="$(calc "($(cpu_ticks) - $ticks0) / $HZ") s in $(calc "$(now) - $t_change") s"
# A figure to read, not a check: the other tests share the machine's cores.
echo "CPU time of the program: normal run $normal_cpu, after the change $changed_cpu"
qb_key_testwin k
check_eq "after a key, the test window" "absent" "$(qb_wait_testwin absent 10)"
changed=$(rate_of)
# Frames after the change count: about a normal run's rate. The bounds are
# wide, as the rate follows the machine's load.
echo "rates: normal run $normal, run with the mode change $changed"
check_num "rate with the mode change, against at least a fifth of a normal run's" ">=" \
  "$(calc "$normal / 5")" "$changed"
check_num "rate with the mode change, against at most five times a normal run's" "<=" \
  "$(calc "$normal * 5")" "$changed"

# The same program's next run, at the new mode: Wine still gives it surfaces
# of the old size.
check_eq "the program goes on: its dialog" "present" "$(qb_probe find '#32770' Quillaby 5)"
qb_click "$QB_ID_RUN"
check_eq "next run: the test window opens" "present" "$(qb_wait_testwin present 15)"
if qb_wait_frames "$QB_OUT/next.png" 20; then seen=shown; else seen="not shown within 20 s"; fi
check_eq "next run: the frames' corners on the 800x600 screen" "shown" "$seen"
next=$(picture "$QB_OUT/next.png" 800 600)
echo "next run: $next"
check_match "next run: the picture" 'right, bar at [0-9]+' "$next"
qb_key_testwin F10
check_eq "next run: after F10, the test window" "absent" "$(qb_wait_testwin absent 10)"
check_match "next run: rate line" 'Rendered frames/sec on last run: [0-9]+\.[0-9]{2}' "$(qb_field $QB_ID_RATE)"
echo "captures: $QB_OUT/before.png $QB_OUT/after.png $QB_OUT/after-2.png $QB_OUT/next.png"

# F10 never reached the dialog: there it would open the window menu, which
# Escape would close instead of the dialog.
qb_key Escape
qb_check_ended "Escape after the runs"
check_done
