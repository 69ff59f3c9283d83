# Starts, drives and ends one quillaby.exe for an end-to-end test, with only
# what a person has: the mouse and keyboard (xdotool), the screen (captures),
# and the probe for reading control texts from outside.
#
# Needs DISPLAY (scripts/test's Xvfb), WINEPREFIX, and from CTest QB_EXE,
# QB_PROBE, QB_WINE_RUN and QB_E2E_OUT. The prefix lets Wine draw its own
# window frames (qb_prefix unmanaged), so the close box is there to be seen
# and clicked even without a window manager.

. "$(dirname "${BASH_SOURCE[0]}")/assert.sh"

# Control ids of the settings dialog.
QB_ID_RUN=1000
QB_ID_WIDTH=1001
QB_ID_BACK_RED=1002
QB_ID_BACK_GREEN=1003
QB_ID_BACK_BLUE=1004
QB_ID_BAR_RED=1005
QB_ID_BAR_GREEN=1006
QB_ID_BAR_BLUE=1007
QB_ID_MULTIPLIER=1008
QB_ID_DIVIDER=1009
QB_ID_RATE=1010
QB_ID_DEVICE=1011
QB_ID_PACING=1012
QB_ID_COVERAGE=1013

QB_PID=""

# One probe serves the whole test, started by qb_e2e_init (see Serve in
# Probe.cpp): each start of Wine costs far more than what it looks at. Without
# it, each look starts a probe of its own.
qb_probe_pid=""
qb_probe() {
  if [ -z "$qb_probe_pid" ]; then
    "$QB_WINE_RUN" "$QB_PROBE" "$@" </dev/null
    return
  fi
  local line
  printf '%s\037' "$@" >&"$qb_probe_in"
  printf '\n' >&"$qb_probe_in"
  while IFS= read -r line <&"$qb_probe_out"; do
    case "$line" in
      $'\004'*) return "${line#?}" ;;
    esac
    printf '%s\n' "$line"
  done
  echo "probe: the probe that serves this test has ended" >&2
  return 3
}

qb_probe_serve() {
  local fifo="$QB_OUT/probe"
  mkfifo "$fifo.in" "$fifo.out" || return 1
  "$QB_WINE_RUN" "$QB_PROBE" serve <"$fifo.in" >"$fifo.out" &
  qb_probe_pid=$!
  exec {qb_probe_in}>"$fifo.in" {qb_probe_out}<"$fifo.out"
  rm -f "$fifo.in" "$fifo.out"
}

# Ends the serving probe with an empty line, or else once it has had the
# time of its longest look.
qb_probe_stop() {
  [ -n "$qb_probe_pid" ] || return 0
  local i
  printf '\n' >&"$qb_probe_in" 2>/dev/null
  exec {qb_probe_in}>&- {qb_probe_out}<&-
  for i in $(seq 1 100); do
    kill -0 "$qb_probe_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$qb_probe_pid" 2>/dev/null
  wait "$qb_probe_pid" 2>/dev/null
  qb_probe_pid=""
}

# Sets qb_xy to the screen point in the middle of control ID. Each start of
# the probe is a start of Wine, so a control's place is asked for once per
# start of the program: the dialog stays where it opened, except on a desktop,
# whose window manager may still move it.
declare -A qb_centers=()
qb_center() {
  if [ -z "${qb_centers[$1]:-}" ] || [ "${QB_SLOT_KIND:-}" = desktop ]; then
    qb_centers[$1]=$(qb_probe center "$1") || { unset "qb_centers[$1]"; return 1; }
  fi
  qb_xy=${qb_centers[$1]}
}

# Wine processes of this prefix that a test may leave behind: the program, the
# help engine it starts, and the probe.
qb_own_processes() {
  local dir pid comm
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    # A read, not a cat: a start of a process for each of the machine's
    # hundred or so is seconds of a loaded machine's time.
    { read -r comm <"$dir/comm"; } 2>/dev/null || continue
    case "$comm" in
      quillaby.exe | quillaby64.exe | winhlp32.exe | quillaby_probe.exe) ;;
      *) continue ;;
    esac
    [ "$pid" = "$qb_probe_pid" ] && continue
    [ "$(awk '$3 == "Z" { print "zombie" }' "$dir/stat" 2>/dev/null)" = zombie ] && continue
    tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -q -x -F "WINEPREFIX=$WINEPREFIX" || continue
    echo "$pid $comm"
  done
}

qb_e2e_cleanup() {
  local pid comm
  if qb_program_alive; then
    echo "cleanup: ending the program ($QB_PID)"
    kill "$QB_PID" 2>/dev/null
  fi
  [ -n "$QB_PID" ] && wait "$QB_PID" 2>/dev/null
  qb_probe_stop
  while read -r pid comm; do
    [ -n "$pid" ] || continue
    echo "cleanup: ending $comm ($pid)"
    kill "$pid" 2>/dev/null
  done < <(qb_own_processes)
}

# Checks the environment, prepares the output folder and the clean-up.
qb_e2e_init() {
  local missing="" v
  for v in DISPLAY WINEPREFIX QB_EXE QB_PROBE QB_WINE_RUN QB_E2E_OUT; do
    [ -n "${!v:-}" ] || missing="$missing $v"
  done
  if [ -n "$missing" ]; then
    echo "FAIL the end-to-end tests run inside scripts/test; missing:$missing"
    exit 1
  fi
  QB_OUT="$QB_E2E_OUT/${QB_TEST_NAME:-$(basename "$0" .sh)}"
  rm -rf "$QB_OUT"
  mkdir -p "$QB_OUT"
  # In a paced slot the clock logs every swap it lets through, and takes its
  # faults from a file (tests/vblank/vblank.c).
  if [ -n "${QB_VBLANK_HZ:-}" ]; then
    export QB_VBLANK_LOG="$QB_OUT/vblank.log" QB_VBLANK_FAULTS="$QB_OUT/vblank.faults"
    : >"$QB_VBLANK_LOG"
  fi
  trap qb_e2e_cleanup EXIT
  local left
  left=$(qb_own_processes)
  check_eq "no program process left from before" "" "$left"
  qb_probe_serve
}

qb_program_alive() {
  [ -n "$QB_PID" ] || return 1
  local state
  state=$(awk '{ print $3 }' "/proc/$QB_PID/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# Starts the program and waits for its dialog. Wine's errors go to wine.log in
# the test's output folder, and are shown when the dialog doesn't come.
qb_start() {
  WINEDEBUG=-all,err+all "$QB_WINE_RUN" "$QB_EXE" >/dev/null 2>"$QB_OUT/wine.log" </dev/null &
  QB_PID=$!
  qb_centers=()
  qb_focused=""
  local start
  start=$(qb_clock)
  if qb_probe wait "$QB_WAIT"; then
    echo "waited $(qb_since "$start") s for the settings dialog"
    check_eq "the settings dialog appears" "shown" "shown"
  else
    local state
    if qb_program_alive; then
      state="still running"
    else
      wait "$QB_PID" 2>/dev/null
      state="ended with exit status $?"
    fi
    check_eq "the settings dialog appears" "shown" "not shown within $QB_WAIT s, program $state"
    tail -n 20 "$QB_OUT/wine.log"
    return 1
  fi
}

# Waits up to SECONDS (QB_WAIT) for the program's process to end.
qb_wait_exit() {
  local seconds=${1:-$QB_WAIT} start
  start=$(qb_clock)
  while [ $(($(qb_clock) - start)) -lt $((seconds * 1000)) ]; do
    qb_program_alive || { wait "$QB_PID" 2>/dev/null; return 0; }
    sleep 0.1
  done
  return 1
}

# Checks that the process ended and that no window or Wine process of the
# program is left.
qb_check_ended() {
  local what=$1 start
  start=$(qb_clock)
  if qb_wait_exit; then
    echo "waited $(qb_since "$start") s for the program to end"
    check_eq "$what: the process ends" "ended" "ended"
  else
    check_eq "$what: the process ends" "ended" "still running after $QB_WAIT s"
  fi
  local dialog
  dialog=$(qb_probe find '#32770' Quillaby)
  check_eq "$what: the dialog is gone" "absent" "$dialog"
  local left
  left=$(qb_own_processes)
  check_eq "$what: no program process left" "" "$left"
  QB_PID=""
}

qb_field() {
  local text
  text=$(qb_probe text "$1") || return 1
  # The pacing line breaks between its clauses: read on one line.
  printf '%s\n' "$text" | tr -d '\r' | paste -sd ' ' -
}

# Waits until the dialog's focus is (is) or is not (not) on control ID: the
# sign that Wine has taken in the click or key that moves it. Says how long
# it took, and what has the focus when it doesn't come.
qb_wait_focus() {
  local start got what
  start=$(qb_clock)
  got=$(qb_probe focus "$1" "$2" "$QB_WAIT")
  if { [ "$1" = is ] && [ "$got" = "$2" ]; } || { [ "$1" = not ] && [ "$got" != "$2" ]; }; then
    if [ "$1" = is ]; then what="to be on"; else what="to leave"; fi
    echo "waited $(qb_since "$start") s for the focus $what control $2" >&2
    return 0
  fi
  echo "after $QB_WAIT s the focus, expected $1 on control $2, is on $got" >&2
  return 1
}

# Moves the pointer onto a control and clicks it, as a person would. A click
# on a field waits until the field has the focus; a click on Run starts a
# run, whose window the caller waits for. A second click on the same spot
# within the double-click time would be a double click, which an edit field
# takes without the focus: such a click waits until that time is over.
qb_clicked_xy=""
qb_clicked_at=0
qb_click() {
  qb_center "$1" || return 1
  local since=$(($(qb_clock) - qb_clicked_at))
  if [ "$qb_xy" = "$qb_clicked_xy" ] && [ "$since" -lt 700 ]; then
    sleep "$(awk -v ms=$((700 - since)) 'BEGIN { print ms / 1000 }')"
  fi
  xdotool mousemove $qb_xy click 1
  qb_clicked_xy=$qb_xy
  qb_clicked_at=$(qb_clock)
  [ "$1" = "$QB_ID_RUN" ] && return 0
  qb_wait_focus is "$1" && qb_focused=$1
}

# Keys go to the window under the pointer: rest it on the dialog's rate line.
# What they change is for the caller to wait for.
qb_key() {
  qb_center "$QB_ID_RATE" || return 1
  xdotool mousemove $qb_xy
  xdotool key "$@"
}

# Tab, and waits until the focus has left the control that a click gave it
# to (or, without one, whichever has it), so that this control's rule has run.
qb_tab() {
  local from=${qb_focused:-}
  [ -n "$from" ] || from=$(qb_probe focus)
  qb_focused=""
  qb_key Tab || return 1
  qb_wait_focus not "$from"
}

# Clicks a field, selects its whole text and types TEXT over it; the focus
# stays in the field. What the field then holds is for the caller to wait for.
qb_type_into() {
  qb_click "$1" || return 1
  xdotool key End shift+Home BackSpace
  [ -n "$2" ] && xdotool type --delay 30 -- "$2"
  return 0
}

# Clicks a field, selects its whole text and pastes TEXT over it from the
# clipboard (Ctrl+V), as after copying TEXT in another program.
qb_paste_into() {
  qb_probe clip "$2" || return 1
  qb_click "$1" || return 1
  xdotool key End shift+Home ctrl+v
}

# The screen as a person sees it.
qb_capture() {
  import -window root "$1"
}

# ImageMagick itself, whatever else is called convert on the PATH.
QB_CONVERT=convert
[ -x /usr/bin/convert ] && QB_CONVERT=/usr/bin/convert

# Colours of a line of a capture, one "#RRGGBB" per pixel: "row FILE Y" or
# "column FILE X".
qb_line() {
  local geometry w h
  read -r w h < <(qb_screen_size)
  if [ "$1" = row ]; then geometry="${w}x1+0+$3"; else geometry="1x${h}+$3+0"; fi
  "$QB_CONVERT" "$2" -crop "$geometry" +repage -depth 8 txt:- | awk 'NR > 1 { print $3 }'
}

# Runs of equal colour along a line, "COLOUR FIRST-LAST" each, in order.
qb_runs() {
  qb_line "$@" | awk '
    $1 != c { if (NR > 1) printf "%s %d-%d\n", c, s, NR - 2; c = $1; s = NR - 1 }
    END { printf "%s %d-%d\n", c, s, NR - 1 }'
}

# Colour of one pixel of a capture as "#RRGGBB".
# The colours of two pixels, X1 Y1 and X2 Y2, in one look.
qb_pixels() {
  "$QB_CONVERT" "$1" -format "%[hex:p{$2,$3}] %[hex:p{$4,$5}]" info: | sed -e 's/\([0-9A-F]\{6\}\)[0-9A-F]*/#\1/g'
}

qb_pixel() {
  "$QB_CONVERT" "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- | awk 'NR == 2 { print $3 }'
}

# The primary monitor's size, where Wine puts the test window: the slot's
# QUILLABY_SCREEN, or else the whole X screen.
qb_screen_size() {
  if [ -n "${QUILLABY_SCREEN:-}" ]; then
    echo "${QUILLABY_SCREEN%x*} ${QUILLABY_SCREEN#*x}"
  else
    xdotool getdisplaygeometry
  fi
}

# Waits up to SECONDS (QB_WAIT) for the test window to be there (present) or
# gone (absent); prints what it found last, and on stderr how long it took.
qb_wait_testwin() {
  local start
  start=$(qb_clock)
  qb_probe testwin "$1" "${2:-$QB_WAIT}" 2>/dev/null
  echo "waited $(qb_since "$start") s for the test window to be $1" >&2
}

# Ends a run as a person would: a key press on the full-screen test window.
qb_key_testwin() {
  local w h
  read -r w h < <(qb_screen_size)
  xdotool mousemove $((w / 2)) $((h / 2))
  xdotool key "$1"
}

# Presses KEY on the window of class CLASS titled TITLE, with the pointer on it.
qb_key_on() {
  local xy
  xy=$(qb_probe where "$1" "$2") || return 1
  xdotool mousemove $xy key "$3"
}

# Dismisses a shown window with KEY: presses it with the pointer on the window
# and waits for the window to go; presses again, a few times at most, while
# it stays (a dialog that is still being drawn may not have its focus yet).
# Prints "dismissed" or "still shown".
qb_dismiss() {
  local attempt start
  start=$(qb_clock)
  for attempt in 1 2 3 4 5; do
    qb_key_on "$1" "$2" "$3" 2>/dev/null
    if [ "$(qb_probe gone-window "$1" "$2" $((QB_WAIT / 5)))" = absent ]; then
      echo "waited $(qb_since "$start") s for $2 to go after $attempt presses of $3" >&2
      echo dismissed
      return 0
    fi
  done
  echo "still shown"
  return 1
}

# Waits up to SECONDS (QB_WAIT) for the run's first frames to reach the
# screen, as a person waits for the picture before pressing a key: the white
# frame shows in the top-left and bottom-right corners. Leaves the last
# capture in FILE; says on stderr how long it took.
qb_wait_frames() {
  local file=$1 seconds=${2:-$QB_WAIT} w h start
  read -r w h < <(qb_screen_size)
  start=$(qb_clock)
  while :; do
    qb_capture "$file"
    if [ "$(qb_pixels "$file" 0 0 $((w - 1)) $((h - 1)))" = "#FFFFFF #FFFFFF" ]; then
      echo "waited $(qb_since "$start") s for the frames on the screen" >&2
      return 0
    fi
    [ $(($(qb_clock) - start)) -ge $((seconds * 1000)) ] && break
    sleep 0.2
  done
  echo "no frames on the screen after $seconds s" >&2
  return 1
}

# Compares a line of a capture (see qb_line) with the picture it should show:
# white at both ends, the bar's colour from its left edge for WIDTH pixels, the
# background elsewhere. Colours may differ by TOLERANCE per channel, as a
# 16-bit display rounds them. Prints the bar's left edge ("plain" for WIDTH
# 0), or "bad" and where the line first differs.
#   qb_bar_line FILE row|column Y|X BAR BACK WIDTH TOLERANCE
qb_bar_line() {
  local file=$1 dir=$2 at=$3
  qb_line "$dir" "$file" "$at" | awk -v bar="$4" -v back="$5" -v width="$6" -v tol="$7" '
    function chan(c, i,   h) {
      h = toupper(substr(c, 2 + 2 * i, 2))
      return (index("0123456789ABCDEF", substr(h, 1, 1)) - 1) * 16 + index("0123456789ABCDEF", substr(h, 2, 1)) - 1 }
    function near(a, b,   i, d) {
      for (i = 0; i < 3; i++) { d = chan(a, i) - chan(b, i); if (d < -tol || d > tol) return 0 }
      return 1 }
    { c[NR - 1] = $1 } END {
      n = NR; left = -1
      if (width > 0)
        for (i = 1; i < n - 1; i++) if (near(c[i], bar) && !near(c[i], back)) { left = i; break }
      for (i = 0; i < n; i++) {
        want = (i == 0 || i == n - 1) ? "#FFFFFF" : (left >= 0 && i >= left && i < left + width) ? bar : back
        if (!near(c[i], want)) { printf "bad: pixel %d is %s, expected %s (bar at %d)\n", i, c[i], want, left; exit }
      }
      print (width > 0 ? left : "plain") }'
}

# The paced slots' clock. qb_vblank_faults WORDS... gives it faults from its
# next swap on (see tests/vblank/vblank.c; none: none), in a file written
# anew, so that it never reads half of one.
qb_vblank_faults() {
  printf '%s\n' "$*" >"$QB_VBLANK_FAULTS.new" && mv "$QB_VBLANK_FAULTS.new" "$QB_VBLANK_FAULTS"
}

qb_vblank_from=1
# Marks the end of the clock's log so far: qb_vblank_summary then looks only
# at the swaps after it, those of the run that follows.
qb_vblank_mark() {
  qb_vblank_from=$(($(wc -l <"$QB_VBLANK_LOG") + 1))
}

# What the clock's log says of the swaps since the mark, in the pacing line's
# terms: "clock: N of M swaps held for 2+ ticks (K ticks repeated), longest
# L ticks (T ms)", M being the intervals between swaps, and K the sum of the
# ticks past the first over the held ones.
qb_vblank_summary() {
  tail -n "+$qb_vblank_from" "$QB_VBLANK_LOG" | awk '
    NR > 1 { k = $1 - tick; m++; if (k >= 2) { n++; rep += k - 1 }
             if (k > most) { most = k; ms = ($2 - ns) / 1e6 } }
    { tick = $1; ns = $2 }
    END { printf "clock: %d of %d swaps held for 2+ ticks (%d ticks repeated), longest %d ticks (%.1f ms)\n",
                 n, m, rep, most, ms }'
}

# The held frames and refreshes repeated that a pacing line gives, as "N K":
# "0 0" for a line with none held.
qb_pacing_held() {
  local counts
  counts=$(printf '%s' "$1" |
    sed -n -E 's/.*, (at least )?([0-9]+) of [0-9]+ frames? held for 2\+ refreshes *\(([0-9]+) refreshe?s? repeated\).*/\2 \3/p')
  if [ -n "$counts" ]; then echo "$counts"
  elif printf '%s' "$1" | grep -q -E ', (no late frames|no frame held for 2\+ refreshes)'; then echo "0 0"
  else echo "none none"
  fi
}

# Prints LABEL: the pacing line, and in a paced slot the clock's summary of
# the swaps since the mark beside it.
qb_print_pacing() { # LABEL LINE
  echo "$1: $2"
  [ -n "${QB_VBLANK_LOG:-}" ] && echo "$1: $(qb_vblank_summary)"
  return 0
}
