# Shared by scripts/test, scripts/run and scripts/demo: installs what the build
# and the tests need, builds, and manages the private Wine prefix and Xvfb.

QB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QB_BUILD="${QB_BUILD:-$QB_ROOT/build}"
export WINEPREFIX="$QB_BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
QB_PACKAGES="cmake g++-mingw-w64-i686 googletest wine wine32:i386 xvfb xdotool imagemagick"

qb_as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the missing packages, non-interactively; does nothing when all are there.
qb_install() {
  local missing="" p
  for p in $QB_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  # The real ImageMagick, not a stand-in called convert.
  [ -x /usr/bin/import ] || missing="$missing imagemagick"
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    qb_as_root dpkg --add-architecture i386
  fi
  qb_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  qb_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold $missing >/dev/null
}

# Configures once, then builds only what changed.
qb_build() {
  if [ ! -f "$QB_BUILD/CMakeCache.txt" ]; then
    cmake -S "$QB_ROOT" -B "$QB_BUILD" -DCMAKE_TOOLCHAIN_FILE="$QB_ROOT/cmake/mingw-i686.cmake" >/dev/null
  fi
  cmake --build "$QB_BUILD" -j "$(nproc)" -- --no-print-directory | grep -v -E '^\[ *[0-9]+%\]|^Consolidate|^Scanning' || true
  [ "${PIPESTATUS[0]}" = 0 ] || return 1
  [ -f "$QB_BUILD/quillaby.exe" ]
}

# Creates the private Wine prefix on first use. The tests' prefix makes Wine
# draw its own window frames ("Managed"=N): with no window manager in Xvfb,
# Wine would otherwise wait two seconds for one whenever it hides a window.
qb_prefix() {
  local managed=${1:-managed}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  if [ "$managed" = unmanaged ] && [ ! -f "$WINEPREFIX/.quillaby-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillaby-unmanaged"
  fi
}

# Starts an Xvfb display of the given geometry on a free number; sets DISPLAY
# and adds the server to those that qb_stop_xvfb stops. The server picks the
# number itself (-displayfd), so that scripts started side by side never share
# one.
qb_start_xvfb() {
  local geometry=${1:-1024x768x24} numfile n="" i
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  QB_XVFB_PIDS="${QB_XVFB_PIDS:-} $!"
  for i in $(seq 1 100); do
    n=$(cat "$numfile")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
  for i in $(seq 1 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not answer on $DISPLAY" >&2
  return 1
}

qb_stop_xvfb() {
  local pid
  for pid in ${QB_XVFB_PIDS:-}; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  QB_XVFB_PIDS=""
}
