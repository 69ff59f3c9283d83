# Sourced by the test wrappers. scripts/test runs the tests three at a time,
# each in a display slot of its own: an X server and a Wine prefix with its
# own wineserver, so that tests never share a keyboard focus. A test asks for
# a kind of slot (bare, paced, desktop, dualhead, modes, grows, depth16,
# depth8, and the 32-bit ones named in scripts/test) through CTest's resource
# groups; CTest names the kind in CTEST_RESOURCE_GROUP_0 and the slot it gave
# in CTEST_RESOURCE_GROUP_0_<KIND> ("id:s1,slots:1"). This points DISPLAY and
# WINEPREFIX at that slot and tells the test what it is: QB_SLOT_KIND,
# QUILLABY_SCREEN (the primary monitor, WxH) and QB_SLOT_DEPTH; Wine which
# loader to use (QB_WINE_BITS: 32 in the shipped program's slots); and where
# flips wait for the tests' clock, its rate (QB_VBLANK_HZ, see
# tests/vblank/vblank.c).
# Without a slot nothing changes but the default prefix.
qb_here=$(cd "$(dirname "$0")/.." && pwd)
qb_kind=${CTEST_RESOURCE_GROUP_0:-}
qb_slot=""
if [ -n "$qb_kind" ]; then
  eval "qb_slot=\${CTEST_RESOURCE_GROUP_0_$(echo "$qb_kind" | tr '[:lower:]' '[:upper:]'):-}"
fi
qb_slot=${qb_slot#id:}
qb_slot=${qb_slot%%,*}
case "$qb_slot" in
  [a-z]*[0-9a-z])
    eval "qb_slot_display=\${QB_SLOT_DISPLAY_$qb_slot:-}"
    if [ -n "$qb_slot_display" ]; then
      export DISPLAY="$qb_slot_display"
      eval "export WINEPREFIX=\$QB_SLOT_PREFIX_$qb_slot QB_SLOT_KIND=\$QB_SLOT_KIND_$qb_slot"
      eval "export QUILLABY_SCREEN=\$QB_SLOT_SCREEN_$qb_slot QB_SLOT_DEPTH=\$QB_SLOT_DEPTH_$qb_slot"
      eval "export QB_WINE_BITS=\${QB_SLOT_BITS_$qb_slot:-64}"
      # A paced slot's flips wait for the tests' clock at the display's rate:
      # scripts/wine-run puts its libGL.so.1 before the real one.
      eval "qb_slot_hz=\${QB_SLOT_HZ_$qb_slot:-}"
      if [ -n "$qb_slot_hz" ]; then
        export QB_VBLANK_HZ="${QB_VBLANK_HZ:-$qb_slot_hz}"
        eval "export QB_VBLANK_GL=\$QB_SLOT_GL_$qb_slot"
      fi
    fi
    ;;
esac
export WINEPREFIX="${WINEPREFIX:-$qb_here/build/wineprefix}"
