# Shared part of the clang-cl toolchains. They build the hook library for the
# MSVC ABI on Linux, with the project's MSVC options, clang-cl, lld-link and
# llvm-rc, against the MinGW-w64 Windows headers and import libraries.
# CORVANE_MSVC_TARGET (clang's target) and CORVANE_MINGW_TRIPLE are set by the caller.
set(CMAKE_SYSTEM_NAME Windows)

set(CORVANE_LLVM_BIN /usr/lib/llvm-14/bin CACHE PATH "Folder of clang-cl, lld-link, llvm-rc and llvm-lib")
set(CMAKE_C_COMPILER ${CORVANE_LLVM_BIN}/clang-cl)
set(CMAKE_CXX_COMPILER ${CORVANE_LLVM_BIN}/clang-cl)
set(CMAKE_C_COMPILER_TARGET ${CORVANE_MSVC_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${CORVANE_MSVC_TARGET})
set(CMAKE_LINKER ${CORVANE_LLVM_BIN}/lld-link)
set(CMAKE_AR ${CORVANE_LLVM_BIN}/llvm-lib)
set(CMAKE_RC_COMPILER ${CORVANE_LLVM_BIN}/llvm-rc)
set(CMAKE_MT ${CORVANE_LLVM_BIN}/llvm-mt)
# Reads any PE file; the binary checks use it.
set(CMAKE_OBJDUMP ${CORVANE_MINGW_TRIPLE}-objdump)

# There is no MSVC runtime here: the compiler checks build libraries only.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The MinGW-w64 headers expect a GNU compiler: without __GNUC__ they define
# __attribute__ away, which breaks clang's own intrinsics headers, and they
# take the x86 architecture from GCC's predefined _X86_. libstdc++ supplies
# the few C++ headers (<cstdint>). -isystem puts these folders before clang's
# own, so that <intrin.h> is MinGW's, which matches its other headers.
set(_mingw_include /usr/share/mingw-w64/include)
file(GLOB _libstdcxx LIST_DIRECTORIES true /usr/lib/gcc/${CORVANE_MINGW_TRIPLE}/*-posix/include/c++)
list(GET _libstdcxx 0 _libstdcxx)
set(_flags "/clang:-fgnuc-version=4.2.1")
foreach(folder ${_libstdcxx} ${_libstdcxx}/${CORVANE_MINGW_TRIPLE} ${_mingw_include})
  string(APPEND _flags " /clang:-isystem${folder}")
endforeach()
string(APPEND _flags " ${CORVANE_GNU_PREDEFINES}")
set(CMAKE_C_FLAGS_INIT "${_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_flags}")
set(CMAKE_RC_FLAGS_INIT "-I${_mingw_include}")

# lld-link looks for the Windows SDK's names (user32.lib); MinGW calls its
# import libraries libuser32.a. Links under the SDK's names, for the
# libraries CMake links by default.
set(_import_libraries ${CMAKE_BINARY_DIR}/mingw-import-libraries)
file(MAKE_DIRECTORY ${_import_libraries})
foreach(name kernel32 user32 gdi32 winspool shell32 ole32 oleaut32 uuid comdlg32 advapi32)
  file(CREATE_LINK /usr/${CORVANE_MINGW_TRIPLE}/lib/lib${name}.a ${_import_libraries}/${name}.lib SYMBOLIC)
endforeach()
set(_link_flags "/LIBPATH:${_import_libraries} ${CORVANE_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_link_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_link_flags}")
