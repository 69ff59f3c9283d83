# Sourced by the test wrappers. scripts/test runs the tests three at a time,
# each in a display slot of its own: an Xvfb and a Wine prefix with its own
# wineserver, so that tests never share a keyboard focus. CTest names the slot
# it gave a test in CTEST_RESOURCE_GROUP_0_DISPLAYS ("id:s1,slots:1"); this
# points DISPLAY and WINEPREFIX at it. Without a slot nothing changes but the
# default prefix.
qb_here=$(cd "$(dirname "$0")/.." && pwd)
qb_slot=${CTEST_RESOURCE_GROUP_0_DISPLAYS:-}
qb_slot=${qb_slot#id:}
qb_slot=${qb_slot%%,*}
case "$qb_slot" in
  s[0-9])
    eval "qb_slot_display=\${QB_SLOT_DISPLAY_$qb_slot:-}"
    eval "qb_slot_prefix=\${QB_SLOT_PREFIX_$qb_slot:-}"
    [ -n "$qb_slot_display" ] && export DISPLAY="$qb_slot_display"
    [ -n "$qb_slot_prefix" ] && export WINEPREFIX="$qb_slot_prefix"
    ;;
esac
export WINEPREFIX="${WINEPREFIX:-$qb_here/build/wineprefix}"
