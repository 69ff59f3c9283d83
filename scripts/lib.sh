# Shared by scripts/test, scripts/run and scripts/demo: installs what the build
# and the tests need, builds, and manages the private Wine prefix and Xvfb.

QB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QB_BUILD="${QB_BUILD:-$QB_ROOT/build}"
# The shipped 32-bit program, and the same sources built for 64-bit Windows,
# which Linux runs under 64-bit Wine.
QB_EXE="$QB_BUILD/quillaby.exe"
QB_EXE64="$QB_BUILD/quillaby64.exe"
export WINEPREFIX="$QB_BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
. "$QB_ROOT/scripts/wine-env.sh"
# 64-bit Wine only: no i386 package and no foreign architecture, so the
# install works on a kernel without 32-bit support and never waits on a
# mirror's i386 index.
QB_PACKAGES="cmake ccache g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine64 fonts-wine xvfb xdotool imagemagick zip unzip"
# What Wine's X11 driver and Direct3D load at run time, which wine64 only
# recommends. The rest of what apt would recommend (Wine's sound, video and
# scanner libraries, GTK, Vulkan, ImageMagick's extra formats, more fonts:
# half of the packages) nothing here uses, so it is not installed. The tests'
# clock (tests/vblank) is linked against glvnd's libGLX and libOpenGL.
QB_X_GL_PACKAGES="libgl1 libglx0 libopengl0 libglx-mesa0 libgl1-mesa-dri libxrandr2 libxi6 libxcursor1 libxinerama1 libxrender1 libxcomposite1 libxfixes3 libxxf86vm1"
QB_PACKAGES="$QB_PACKAGES $QB_X_GL_PACKAGES"
# The tests' other desktops: a window manager, and Xorg's dummy driver for two
# monitors side by side (set up with xrandr); the host's C compiler for the
# paced slots' clock (tests/vblank).
QB_TEST_PACKAGES="openbox xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils gcc libc6-dev"
# Where the shipped 32-bit program runs: Wine's 32-bit loader and the i386
# counterparts of the X and GL libraries above, without which 32-bit Wine
# sees one monitor, misses every mode change and has no GL; and the compiler's
# 32-bit half for the clock.
QB_PACKAGES32="wine32:i386 $(printf '%s:i386 ' $QB_X_GL_PACKAGES)gcc-multilib"

qb_as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Runs apt-get quietly; on failure shows apt's own error lines and returns
# non-zero.
qb_apt() {
  local log status
  log=$(mktemp)
  qb_as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@" >"$log" 2>&1
  status=$?
  if [ "$status" != 0 ]; then
    echo "apt-get $1 failed (exit status $status):" >&2
    grep -E '^(E|W|Err):|broken|unmet|Depends:|unexpected size' "$log" | head -n 20 >&2 ||
      tail -n 20 "$log" >&2
  fi
  rm -f "$log"
  return "$status"
}

# Installs the packages named, non-interactively. The package index is read
# a second time after a short wait when the first try fails, as it does while
# a mirror is half synced; the install is tried even when both fail, since
# what is missing may not need the part that failed.
qb_apt_install() {
  if ! qb_apt update -qq; then
    echo "Reading the package index again in 15 s" >&2
    sleep 15
    qb_apt update -qq || echo "Going on with the package index that apt has" >&2
  fi
  qb_apt install -y -qq --no-install-recommends \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "$@"
}

# Prints those of the packages named that are not installed, i386 ones as
# NAME:i386. One look at dpkg's database for all of them: one each took a
# minute on a loaded machine.
qb_missing() {
  local installed p
  installed=$(dpkg-query -W -f='${binary:Package} ${Status}\n' "$@" 2>/dev/null |
    awk '$2 == "install" && $3 == "ok" && $4 == "installed" { sub(/:amd64$/, "", $1); print $1 }')
  for p in "$@"; do
    printf '%s\n' "$installed" | grep -q -x -F "$p" || printf '%s\n' "$p"
  done
}

# Installs the missing packages; does nothing when all are there.
qb_install() {
  local missing
  missing=$(qb_missing $QB_PACKAGES ${QB_WANT_TEST_PACKAGES:+$QB_TEST_PACKAGES} | tr '\n' ' ')
  # The real ImageMagick, not a stand-in called convert.
  [ -x /usr/bin/import ] || missing="$missing imagemagick"
  [ -z "${missing// /}" ] && return 0
  echo "Installing: $missing"
  qb_apt_install $missing
}

# Whether this machine can run the shipped 32-bit program under Wine, found out
# by running a tiny 32-bit program, not guessed from the kernel's version;
# installs Wine's 32-bit loader where it is missing. When it can't, prints why
# and returns non-zero.
qb_can_run_32bit() {
  local dir err status
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
  if ! as --32 -o "$dir/exit.o" "$dir/exit.s" 2>/dev/null || ! ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null; then
    rm -rf "$dir"
    echo "binutils could not make the tiny 32-bit program that would tell whether this machine runs 32-bit programs"
    return 1
  fi
  err=$("$dir/exit" 2>&1)
  status=$?
  rm -rf "$dir"
  if [ "$status" != 0 ]; then
    echo "this machine's kernel runs no 32-bit program (a tiny one failed: ${err##*: })"
    return 1
  fi
  local missing="" added=""
  if dpkg --print-foreign-architectures | grep -qx i386; then
    missing=$(qb_missing $QB_PACKAGES32 | tr '\n' ' ')
  else
    qb_as_root dpkg --add-architecture i386
    added=yes
    missing=$QB_PACKAGES32
  fi
  [ -z "${missing// /}" ] && [ -x /usr/lib/wine/wine ] && return 0
  echo "Installing Wine's 32-bit loader and its libraries: $missing" >&2
  if ! qb_apt_install $missing >&2 || [ ! -x /usr/lib/wine/wine ]; then
    # Leave no foreign architecture behind that nothing uses: with it, every
    # later index update reads the i386 lists too, and fails with them.
    if [ -n "$added" ] && ! dpkg -l | awk '$1 ~ /^.i/ && $4 == "i386"' | grep -q .; then
      qb_as_root dpkg --remove-architecture i386
    fi
    echo "Wine's 32-bit loader and its libraries could not be installed"
    return 1
  fi
}

# Configures once, then builds only what changed: everything, or the targets
# named (quillaby: the shipped program alone).
qb_build() {
  local toolchain="$QB_ROOT/cmake/mingw-x86_64.cmake"
  # A build folder configured for another toolchain (the tests were once
  # 32-bit) is configured again.
  if [ -f "$QB_BUILD/CMakeCache.txt" ] &&
    ! grep -q -x -F "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$QB_BUILD/CMakeCache.txt"; then
    echo "Configuring $QB_BUILD again for the 64-bit toolchain"
    rm -rf "$QB_BUILD/CMakeCache.txt" "$QB_BUILD/CMakeFiles"
  fi
  if [ ! -f "$QB_BUILD/CMakeCache.txt" ]; then
    cmake -S "$QB_ROOT" -B "$QB_BUILD" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  fi
  # The build's own status, not the filter's: the compiler's errors go to
  # stderr, past the filter, which may then pass no line at all.
  cmake --build "$QB_BUILD" -j "$(nproc)" ${1:+--target "$@"} -- --no-print-directory |
    { grep -v -E '^\[ *[0-9]+%\]|^Consolidate|^Scanning' || true; }
  [ "${PIPESTATUS[0]}" = 0 ] || return 1
  [ -f "$QB_EXE" ] && { [ $# != 0 ] || [ -f "$QB_EXE64" ]; }
}

# Builds the paced slots' clock (tests/vblank) with the host's compiler, for
# Wine of BITS (64, or 32 where the shipped program runs), as
# build/vblank/BITS/libGL.so.1: a library of that name first on Wine's
# LD_LIBRARY_PATH is the one Wine takes GL from. Only when its source changed.
qb_build_vblank() {
  local bits=${1:-64} out
  out="$QB_BUILD/vblank/$bits"
  [ "$out/libGL.so.1" -nt "$QB_ROOT/tests/vblank/vblank.c" ] && return 0
  mkdir -p "$out" &&
    gcc -m"$bits" -shared -fPIC -O2 -Wall -Wextra -Wl,-soname,libGL.so.1 -o "$out/libGL.so.1" \
      "$QB_ROOT/tests/vblank/vblank.c"\
      -Wl,--no-as-needed -l:libGLX.so.0 -l:libOpenGL.so.0 -Wl,--as-needed -lm
}

# Makes the Windows download in DIR from the built shipped program:
# quillaby-VERSION-windows-x86.zip, holding quillaby.exe and README.txt, and
# SHA256SUMS with the checksums of the zip and of the program. The same
# program gives the same zip wherever and whenever it is made: a fixed order,
# the last commit's time on both files (in UTC, as the zip's times have no
# zone), fixed permissions, and none of the extra fields that would carry
# this machine's owners and times. Prints the zip's path.
qb_package() {
  local dir version epoch stage zip
  version=$(sed -n 's/^#define QUILLABY_VERSION_TEXT "\(.*\)"$/\1/p' "$QB_BUILD/res/version.h" 2>/dev/null)
  if [ -z "$version" ] || [ ! -f "$QB_EXE" ] || [ ! -f "$QB_BUILD/README.txt" ]; then
    echo "$QB_BUILD holds no built shipped program with its version and readme" >&2
    return 1
  fi
  # Outside a git checkout, SOURCE_DATE_EPOCH or 1 January 1980, the zip's
  # earliest time.
  epoch=${SOURCE_DATE_EPOCH:-$(git -C "$QB_ROOT" log -1 --format=%ct 2>/dev/null)}
  epoch=${epoch:-315532800}
  mkdir -p "$1" && dir=$(cd "$1" && pwd) || return 1
  zip="quillaby-$version-windows-x86.zip"
  stage=$(mktemp -d)
  cp "$QB_EXE" "$stage/quillaby.exe" && cp "$QB_BUILD/README.txt" "$stage/README.txt" &&
    chmod 0755 "$stage/quillaby.exe" && chmod 0644 "$stage/README.txt" &&
    touch -d "@$epoch" "$stage/quillaby.exe" "$stage/README.txt" &&
    rm -f "$dir/$zip" &&
    (cd "$stage" && TZ=UTC zip -q -X -D -9 "$dir/$zip" quillaby.exe README.txt) &&
    (cd "$dir" && sha256sum "$zip") >"$dir/SHA256SUMS" &&
    (cd "$stage" && sha256sum quillaby.exe) >>"$dir/SHA256SUMS"
  local status=$?
  rm -rf "$stage"
  [ "$status" = 0 ] && echo "$dir/$zip"
}

# Creates the private Wine prefix on first use, and gives it Wine's own fonts.
# The tests' prefix makes Wine draw its own window frames ("Managed"=N): with
# no window manager in Xvfb, Wine would otherwise wait two seconds for one
# whenever it hides a window.
qb_prefix() {
  local managed=${1:-managed} arch=win64
  [ "${QB_WINE_BITS:-64}" = 32 ] && arch=win32
  # A prefix of the other kind (the tests' prefixes were once made by 32-bit
  # Wine) is made anew: Wine refuses to run in it.
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -q -x "#arch=$arch" "$WINEPREFIX/system.reg"; then
    echo "Making the Wine prefix in $WINEPREFIX anew, as a $arch one"
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    # 64-bit Wine alone says it can't find syswow64's rundll32: harmless.
    WINEARCH=$arch qb_wine wineboot -i >/dev/null 2>&1
    qb_wineserver -w
  fi
  if [ "$managed" = unmanaged ] && [ ! -f "$WINEPREFIX/.quillaby-unmanaged" ]; then
    qb_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    qb_wineserver -w
    touch "$WINEPREFIX/.quillaby-unmanaged"
  fi
  qb_prefix_fonts
}

# Copies the prefix FROM to TO, which doesn't exist yet. Wine's own DLLs in
# system32, 630 of its 700 MB, are hard links: nothing writes them once the
# prefix is made. The rest is copied: wineserver writes a registry file that
# has other links in place, which would change every prefix at once.
qb_copy_prefix() {
  local from=$1 to=$2
  mkdir -p "$to" &&
    (cd "$from" && tar --exclude=./drive_c/windows/system32 -cf - .) | (cd "$to" && tar -xpf -) &&
    cp -al "$from/drive_c/windows/system32" "$to/drive_c/windows/system32"
}

# Debian's Wine doesn't look in its fonts-wine folder, so without these the
# caption buttons show letters instead of Marlett's symbols and "MS Sans
# Serif" falls back to another face. Wine skips its bitmap-only
# ms_sans_serif.ttf; sserife.fon is the real MS Sans Serif.
qb_prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in marlett.ttf sserife.fon; do
    [ -f "$fonts/$f" ] || cp "/usr/share/wine/fonts/$f" "$fonts/$f"
  done
}

# Starts an Xvfb display of the given geometry on a free number; sets DISPLAY
# and adds the server to those that qb_stop_xvfb stops. The server picks the
# number itself (-displayfd), so that scripts started side by side never share
# one.
qb_start_xvfb() {
  local geometry=${1:-1024x768x24} numfile
  numfile=$(mktemp)
  # -noreset: by default the server starts afresh whenever its last client
  # leaves, and a client that connects just then can be dropped: openbox,
  # started as the slot's check had left, then ended at once.
  Xvfb -displayfd 3 -screen 0 "$geometry" -noreset -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  QB_XVFB_PIDS="${QB_XVFB_PIDS:-} $!"
  qb_await_display "$numfile" && return 0
  echo "Xvfb did not start" >&2
  return 1
}

# Reads the display number that a server started with -displayfd wrote into
# FILE; sets DISPLAY once the server answers.
qb_await_display() {
  local numfile=$1 n="" i
  for i in $(seq 1 150); do
    n=$(cat "$numfile" 2>/dev/null)
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  [ -n "$n" ] || return 1
  export DISPLAY=":$n"
  for i in $(seq 1 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Starts Xorg with the dummy driver and two 1024x768 monitors side by side,
# (0,0)-(1024,768) and (1024,0)-(2048,768): Wine's X11 driver reads RandR 1.4
# outputs, so Windows programs see two monitors. Xvfb can't do this: its
# xinerama screens overlap at (0,0), and Wine ignores RandR 1.5 monitors.
qb_start_dualhead() {
  qb_start_xorg_dummy xorg-dummy.conf dualhead || return 1
  xrandr --addmode DUMMY1 1024x768 &&
    xrandr --output DUMMY0 --mode 1024x768 --primary --output DUMMY1 --mode 1024x768 --right-of DUMMY0 || {
    echo "xrandr could not place the second monitor on $DISPLAY" >&2
    return 1
  }
  # Wine reads the outputs without asking the server to probe them again, and
  # would see only the first until a client has asked once.
  if ! xrandr --listactivemonitors | grep -q '^Monitors: 2$'; then
    echo "Xorg on $DISPLAY does not show two monitors" >&2
    return 1
  fi
}

# Starts Xorg with the dummy driver and one monitor at 1024x768 that xrandr
# can set to 800x600: the tests of a mode change during a run, which have the
# slot to themselves so that no other test sees the changed mode.
qb_start_modes() {
  qb_start_xorg_dummy xorg-modes.conf modes || return 1
  if ! xrandr | grep -q -E '^ +800x600 '; then
    echo "Xorg on $DISPLAY offers no 800x600 mode" >&2
    return 1
  fi
}

# Starts Xorg with the dummy driver and one 800x600 monitor whose mode is
# 60 Hz to the dot: the paced slots, whose flips wait for the tests' clock.
qb_start_paced() {
  qb_start_xorg_dummy xorg-paced.conf paced
}

# Starts Xorg with the dummy driver and the configuration scripts/CONF on a
# free display number; sets DISPLAY and adds the server to those that
# qb_stop_xvfb stops. NAME goes into the log's name.
qb_start_xorg_dummy() {
  local numfile log="$QB_BUILD/xorg-$2-$$.log"
  numfile=$(mktemp)
  mkdir -p "$QB_BUILD/xorg.conf.d"
  Xorg -displayfd 3 -config "$QB_ROOT/scripts/$1" -configdir "$QB_BUILD/xorg.conf.d" \
    -logfile "$log" -noreset -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  QB_XVFB_PIDS="${QB_XVFB_PIDS:-} $!"
  if ! qb_await_display "$numfile"; then
    echo "Xorg with the dummy driver did not start; see $log" >&2
    return 1
  fi
}

# Starts openbox on DISPLAY and waits until it manages the screen.
qb_start_openbox() {
  local i pid log="$QB_BUILD/openbox-${DISPLAY#:}-$$.log"
  openbox --sm-disable >/dev/null 2>"$log" &
  pid=$!
  QB_XVFB_PIDS="${QB_XVFB_PIDS:-} $pid"
  # A loaded machine can take a while.
  for i in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "openbox did not manage the screen on $DISPLAY within 30 s; see $log" >&2
  else
    wait "$pid"
    echo "openbox ended on $DISPLAY with exit status $? before it managed the screen; see $log" >&2
  fi
  tail -n 5 "$log" >&2
  return 1
}

# Stops every X server and window manager that the functions above started.
qb_stop_xvfb() {
  local pid
  for pid in ${QB_XVFB_PIDS:-}; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  QB_XVFB_PIDS=""
}
