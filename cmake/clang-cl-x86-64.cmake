set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CORVANE_MSVC_TARGET x86_64-pc-windows-msvc)
set(CORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
# GCC predefines these in its GNU modes; libstdc++ warns without them.
set(CORVANE_GNU_PREDEFINES "/D__GLIBCXX_TYPE_INT_N_0=__int128 /D__GLIBCXX_BITSIZE_INT_N_0=128")
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
