# Fails when the library's entry point is not the address of SYMBOL:
# objdump gives the entry point relative to the image base, the linker's map
# the symbol's absolute address.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${LIBRARY}")
endif()
if(NOT dump MATCHES "AddressOfEntryPoint[ \t]+([0-9a-fA-F]+)")
  message(FATAL_ERROR "no entry point in ${LIBRARY}")
endif()
set(entry ${CMAKE_MATCH_1})
if(NOT dump MATCHES "ImageBase[ \t]+([0-9a-fA-F]+)")
  message(FATAL_ERROR "no image base in ${LIBRARY}")
endif()
set(base ${CMAKE_MATCH_1})

# GNU ld's map lists "  0x<address>  <symbol>", without the x86 symbols'
# leading underscore; the map of link.exe and lld-link lists
# " <section>:<offset>  <symbol>  <address>  <object>".
string(REGEX REPLACE "^_" "" name "${SYMBOL}")
file(STRINGS ${MAP} lines REGEX "^[ \t]+0x[0-9a-fA-F]+[ \t]+_?${name}[ \t]*$")
file(STRINGS ${MAP} msvc_lines REGEX "^ [0-9a-fA-F]+:[0-9a-fA-F]+[ \t]+_?${name}[ \t]+[0-9a-fA-F]+[ \t]")
list(APPEND lines ${msvc_lines})
list(LENGTH lines count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${SYMBOL} is not defined once in ${MAP}: ${lines}")
endif()
if(msvc_lines)
  string(REGEX REPLACE "^ [0-9a-fA-F]+:[0-9a-fA-F]+[ \t]+[^ \t]+[ \t]+([0-9a-fA-F]+).*" "0x\\1" symbol_address "${lines}")
else()
  string(REGEX MATCH "0x[0-9a-fA-F]+" symbol_address "${lines}")
endif()

math(EXPR expected "0x${base} + 0x${entry}" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR symbol_address "${symbol_address}" OUTPUT_FORMAT HEXADECIMAL)
if(NOT expected STREQUAL symbol_address)
  message(FATAL_ERROR "${LIBRARY} starts at ${expected}, not at ${SYMBOL} (${symbol_address})")
endif()
