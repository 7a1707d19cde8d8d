set(CMAKE_SYSTEM_PROCESSOR X86)
set(CORVANE_MSVC_TARGET i686-pc-windows-msvc)
set(CORVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CORVANE_GNU_PREDEFINES "/D_X86_=1")
# MinGW's import libraries carry no SafeSEH mark, which lld-link demands of
# every x86 object by default.
set(CORVANE_LINK_FLAGS "/SAFESEH:NO")
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
