# Sourced by every script that starts Wine: the one place that says which Wine
# loader runs our Windows programs. They are 64-bit, and run with Wine's 64-bit
# loader, called directly: Debian's /usr/bin/wine takes the 32-bit loader
# whenever it is installed, even on a kernel that can't run it. A display
# slot for the shipped 32-bit program sets QB_WINE_BITS=32 (see slot-env.sh).
if [ "${QB_WINE_BITS:-64}" = 32 ]; then
  QB_WINE_LOADER=/usr/lib/wine/wine
else
  QB_WINE_LOADER=/usr/lib/wine/wine64
fi
# The server serves both; Debian installs the 64-bit one with wine64, which
# the scripts always install. Named, not looked for: this file is read before
# the packages are installed on a new machine.
QB_WINESERVER=/usr/lib/wine/wineserver64
# Wine starts its own helper programs (wineboot's, winhlp32) with these.
export WINELOADER="$QB_WINE_LOADER" WINESERVER="$QB_WINESERVER"

qb_wine() {
  "$QB_WINE_LOADER" "$@"
}

qb_wineserver() {
  "$QB_WINESERVER" "$@"
}
