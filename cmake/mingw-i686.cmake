# Cross toolchain for 32-bit Windows, posix thread variant, for a build of the
# tests where 32-bit Windows programs can run. The shipped program is built
# with mingw-i686-win32.cmake, the usual tests with mingw-x86_64.cmake.
set(QUILLABY_ARCH i686)
set(QUILLABY_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
