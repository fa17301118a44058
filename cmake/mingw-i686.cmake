# Cross-compiles for 32-bit Windows with Debian's mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
# The program is built with the win32 threading variant: the posix one drags in winpthreads, which
# imports GetTickCount64, and Windows XP has no such function, so the program would not even load there.
# A build with the tests needs the posix variant, for GoogleTest's std::mutex.
if(DEFINED NV_TESTS AND NOT NV_TESTS)
  set(NV_THREADS win32)
else()
  set(NV_THREADS posix)
endif()
find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc-${NV_THREADS} ${TOOLCHAIN_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++-${NV_THREADS} ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# The program, the tests and every work tree compile the same files: ccache (with CCACHE_BASEDIR set by
# tools/build.sh, so that paths inside the tree do not count) does each one once.
find_program(NV_CCACHE ccache)
if(NV_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${NV_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${NV_CCACHE})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
