# Shared by the toolchain files: Debian's mingw-w64 for Windows on the
# processor that QUILLABY_ARCH names (i686 or x86_64), in the thread variant
# that QUILLABY_THREADS names (posix or win32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUILLABY_ARCH})

set(MINGW_PREFIX ${QUILLABY_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-${QUILLABY_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-${QUILLABY_THREADS})
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything is linked statically so that Wine (or Windows) needs no MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
