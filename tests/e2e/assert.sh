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
