# Cross toolchain for the tests, the benchmarks and the 64-bit program that
# runs under Wine on Linux: Debian's mingw-w64 for 64-bit Windows, posix thread
# variant (the win32 variant has no std::mutex, which GoogleTest needs).
# 64-bit Wine runs what it builds on machines whose kernel runs no 32-bit
# program. The shipped 32-bit program is built with mingw-i686-win32.cmake.
set(QUILLABY_ARCH x86_64)
set(QUILLABY_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
