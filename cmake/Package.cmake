# Lays out the release folder Corvane-<VERSION>/ under OUTPUT_DIR and zips it
# into Corvane-<VERSION>-windows.zip. Run by the corvane_package target:
#   cmake -DVERSION=.. -DSOURCE_DIR=.. -DBINARY_DIR=.. -DOUTPUT_DIR=.. -P Package.cmake
cmake_minimum_required(VERSION 3.21)

set(name "Corvane-${VERSION}")
set(stage "${OUTPUT_DIR}/${name}")
set(zip "${OUTPUT_DIR}/${name}-windows.zip")
file(REMOVE_RECURSE "${stage}")
file(REMOVE "${zip}")
file(MAKE_DIRECTORY "${stage}/integration")

foreach(arch x86-64 x86-32)
  foreach(file Corvane.${arch}.exe CorvaneLib.${arch}.dll CorvaneInspect.${arch}.exe)
    if(NOT EXISTS "${BINARY_DIR}/${file}")
      message(FATAL_ERROR "${BINARY_DIR}/${file} is missing: build the ${arch} program first (scripts/package does)")
    endif()
    file(COPY "${BINARY_DIR}/${file}" DESTINATION "${stage}")
  endforeach()
endforeach()

# Text for Windows users, who open it in Notepad and cmd: CRLF line ends,
# whatever the checkout has.
function(write_windows_text path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${path}" "${text}")
endfunction()

# The user's part of the README is everything above the marker line.
file(READ "${SOURCE_DIR}/README.md" readme)
string(FIND "${readme}" "<!-- end of the user's part" cut)
if(cut EQUAL -1)
  message(FATAL_ERROR "README.md has no \"<!-- end of the user's part\" line")
endif()
string(SUBSTRING "${readme}" 0 ${cut} readme)
string(STRIP "${readme}" readme)
write_windows_text("${stage}/README.txt" "${readme}\n")

file(READ "${SOURCE_DIR}/LICENSE" licence)
write_windows_text("${stage}/LICENSE.txt" "${licence}")

foreach(script install.cmd uninstall.cmd)
  file(READ "${SOURCE_DIR}/integration/${script}" text)
  write_windows_text("${stage}/integration/${script}" "${text}")
endforeach()

# sha256sum's format, forward slashes: `sha256sum -c SHA256SUMS` in the folder.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 "${stage}/${file}" hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${stage}/SHA256SUMS" "${sums}")

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}" --format=zip "${name}"
  WORKING_DIRECTORY "${OUTPUT_DIR}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${zip}")
endif()
message(STATUS "package: ${zip}")
