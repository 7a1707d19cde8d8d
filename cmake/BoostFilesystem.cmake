# Provides the target Boost::filesystem.
#
# On Windows the library comes from the package manager (vcpkg, or any Boost
# installed with its CMake package files). A cross build from Linux has no
# MinGW build of Boost to find, so Boost.Filesystem is compiled here from the
# sources that scripts/setup unpacks, against the system's Boost headers.

if(NOT (CMAKE_CROSSCOMPILING AND MINGW))
  find_package(Boost 1.74 REQUIRED CONFIG COMPONENTS filesystem)
  return()
endif()

set(CORVANE_BOOST_SOURCE_DIR "/usr/local/src/boost1.74" CACHE PATH
    "Boost source tree that holds libs/filesystem/src")
set(CORVANE_BOOST_HEADERS "/usr/include/boost" CACHE PATH
    "Folder of the Boost headers (the 'boost' folder itself)")

file(GLOB _boost_fs_sources "${CORVANE_BOOST_SOURCE_DIR}/libs/filesystem/src/*.cpp")
if(NOT _boost_fs_sources)
  message(FATAL_ERROR "Boost.Filesystem sources not found under ${CORVANE_BOOST_SOURCE_DIR}; run scripts/setup")
endif()
if(NOT EXISTS "${CORVANE_BOOST_HEADERS}/version.hpp")
  message(FATAL_ERROR "Boost headers not found at ${CORVANE_BOOST_HEADERS}; run scripts/setup")
endif()

# The system include folder must not reach the Windows build: expose only a
# folder that holds a link to the Boost headers.
set(_boost_include_root "${CMAKE_BINARY_DIR}/boost-include")
file(MAKE_DIRECTORY "${_boost_include_root}")
file(CREATE_LINK "${CORVANE_BOOST_HEADERS}" "${_boost_include_root}/boost" SYMBOLIC)

add_library(corvane_boost_filesystem STATIC ${_boost_fs_sources})
target_compile_features(corvane_boost_filesystem PUBLIC cxx_std_17)
target_include_directories(corvane_boost_filesystem SYSTEM PUBLIC "${_boost_include_root}")
target_compile_definitions(corvane_boost_filesystem
  PUBLIC BOOST_FILESYSTEM_STATIC_LINK=1 BOOST_ALL_NO_LIB
  PRIVATE BOOST_FILESYSTEM_SOURCE)
target_compile_options(corvane_boost_filesystem PRIVATE -w)
add_library(Boost::filesystem ALIAS corvane_boost_filesystem)
