#!/bin/sh
# The dialog's template at 144 DPI: every label, the pacing line at its
# widest and the picture fit their controls. Wine takes the DPI from the
# prefix's LogPixels as a program starts; it is put back however this ends.
# Arguments: the wine-run wrapper and the tools folder.
wine_run=$1
tests="$2/../tests"
key='HKCU\Control Panel\Desktop'
restore() { "$wine_run" reg delete "$key" /v LogPixels /f >/dev/null 2>&1; }
trap restore EXIT INT TERM
"$wine_run" reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || {
  echo "FAIL could not set LogPixels to 144 in $WINEPREFIX"
  exit 1
}
"$wine_run" "$tests/integration_resources.exe" --gtest_filter='DialogTemplate.*Fit*'
