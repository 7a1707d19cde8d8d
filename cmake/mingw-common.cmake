# Shared part of the MinGW-w64 cross toolchains; CORVANE_MINGW_TRIPLE is set by the caller.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine when the build is not on Windows. The 64-bit
# loader is called directly: the generic "wine" starts the 32-bit loader first,
# which fails on kernels that cannot run 32-bit code.
if(CORVANE_MINGW_TRIPLE MATCHES "^x86_64")
  find_program(CORVANE_WINE64_LOADER NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
  set(_corvane_wine ${CORVANE_WINE64_LOADER})
endif()
if(NOT _corvane_wine)
  find_program(CORVANE_WINE_LOADER wine)
  set(_corvane_wine ${CORVANE_WINE_LOADER})
endif()
if(_corvane_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_corvane_wine})
endif()
