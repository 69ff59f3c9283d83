# Cross toolchain for the tests: Debian's mingw-w64 for 32-bit Windows, posix
# thread variant (the win32 variant has no std::mutex, which GoogleTest needs).
# The shipped program is built with mingw-i686-win32.cmake instead.
set(QUILLABY_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
