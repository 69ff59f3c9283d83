# Cross toolchain for the shipped program: Debian's mingw-w64 for 32-bit
# Windows, win32 thread variant. The posix variant links its thread library
# (winpthreads), which imports GetTickCount64, so its programs don't load on
# Windows XP; this variant's runtime needs nothing that XP SP3 lacks.
set(QUILLABY_ARCH i686)
set(QUILLABY_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
