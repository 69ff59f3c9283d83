# A tiny assertion library for the end-to-end scripts. Every check prints what
# it expected and what it got, failed or not; check_done fails the test when a
# check failed or when no check ran at all.

QB_CHECKS=0
QB_FAILURES=0
QB_TODOS=0
QB_TODO=""

qb_report() { # passed what expected got
  QB_CHECKS=$((QB_CHECKS + 1))
  local verdict=ok note=""
  if [ -n "$QB_TODO" ]; then
    # A known fault: its failure is expected, its passing is news.
    if [ "$1" != 0 ]; then
      verdict=TODO
      QB_TODOS=$((QB_TODOS + 1))
      note=" (known fault: $QB_TODO)"
    else
      verdict=FAIL
      QB_FAILURES=$((QB_FAILURES + 1))
      note=" (passes now: remove the todo for \"$QB_TODO\")"
    fi
  elif [ "$1" != 0 ]; then
    verdict=FAIL
    QB_FAILURES=$((QB_FAILURES + 1))
  fi
  printf '%-4s %s: expected %s, got %s%s\n' "$verdict" "$2" "$3" "$4" "$note"
}

# todo WHY CHECK ARGS...: a check of a known fault, as Wine's todo_wine. It
# reports TODO while it fails, and fails the test once it passes, so that the
# mend turns it into a plain check.
todo() {
  QB_TODO=$1
  shift
  "$@"
  QB_TODO=""
}

# check_eq WHAT EXPECTED GOT: the texts are equal.
check_eq() {
  [ "$2" = "$3" ]
  qb_report $? "$1" "\"$2\"" "\"$3\""
}

# check_ne WHAT UNWANTED GOT: the texts differ.
check_ne() {
  [ "$2" != "$3" ]
  qb_report $? "$1" "anything but \"$2\"" "\"$3\""
}

# check_match WHAT REGEX GOT: GOT matches the extended regular expression.
check_match() {
  printf '%s' "$3" | grep -q -E -x -- "$2"
  qb_report $? "$1" "text matching /$2/" "\"$3\""
}

# check_num WHAT OP LIMIT GOT: a numeric comparison (OP is one of < <= == >= > !=).
check_num() {
  awk -v a="$4" -v b="$3" -v op="$2" 'BEGIN {
    if (a !~ /^-?[0-9]+(\.[0-9]+)?$/) exit 1
    if (op == "<") exit !(a < b); if (op == "<=") exit !(a <= b)
    if (op == "==") exit !(a == b); if (op == ">=") exit !(a >= b)
    if (op == ">") exit !(a > b); if (op == "!=") exit !(a != b)
    exit 1 }'
  qb_report $? "$1" "a number $2 $3" "\"$4\""
}

# How long a check waits for a state that should come. A loaded 2-core
# machine can take many seconds for what an idle one does at once: a slower
# machine gives a slower pass, never a failure.
QB_WAIT=${QB_WAIT:-60}

# Milliseconds since the epoch, and seconds since such a time as "S.SS".
qb_clock() { echo $(($(date +%s%N) / 1000000)); }
qb_since() { awk -v ms=$(($(qb_clock) - $1)) 'BEGIN { printf "%.2f", ms / 1000 }'; }

# qb_poll TEST COMMAND...: runs COMMAND until TEST (a function given its
# output) holds or QB_WAIT seconds pass; leaves the last output in
# qb_polled and the seconds it took in qb_waited.
qb_poll() {
  local test=$1 start status
  shift
  start=$(qb_clock)
  while :; do
    qb_polled=$("$@" 2>/dev/null)
    "$test" "$qb_polled" && status=0 && break
    [ $(($(qb_clock) - start)) -ge $((QB_WAIT * 1000)) ] && status=1 && break
    sleep 0.1
  done
  qb_waited=$(qb_since "$start")
  return $status
}

# check_eq_wait WHAT EXPECTED COMMAND...: COMMAND comes to print EXPECTED;
# reports its last output and how long the wait took.
check_eq_wait() {
  local what=$1 expected=$2
  shift 2
  qb_is_expected() { [ "$1" = "$expected" ]; }
  qb_poll qb_is_expected "$@"
  qb_report $? "$what" "\"$expected\"" "\"$qb_polled\" after $qb_waited s"
}

# check_match_wait WHAT REGEX COMMAND...: COMMAND comes to print a text that
# matches REGEX.
check_match_wait() {
  local what=$1 regex=$2
  shift 2
  qb_is_match() { printf '%s' "$1" | grep -q -E -x -- "$regex"; }
  qb_poll qb_is_match "$@"
  qb_report $? "$what" "text matching /$regex/" "\"$qb_polled\" after $qb_waited s"
}

# Ends the test: non-zero when a check failed or nothing was checked.
check_done() {
  if [ "$QB_CHECKS" = 0 ]; then
    echo "FAIL no check ran"
    exit 1
  fi
  local known=""
  [ "$QB_TODOS" = 0 ] || known=", $QB_TODOS known faults"
  echo "$QB_CHECKS checks, $QB_FAILURES failed$known"
  [ "$QB_FAILURES" = 0 ]
}
