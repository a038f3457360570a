# Checks that the Windows library exports exactly the functions QZHalLib.h
# declares, by their plain names (no decoration), and nothing else.
# cmake -DOBJDUMP=... -DLIBRARY=QZHalLib.dll -DHEADER=QZHalLib.h -P check_exports.cmake

# names_in(out text pattern): group 1 of every match of pattern in text.
function(names_in out text pattern)
  string(REGEX MATCHALL "${pattern}" matches "${text}")
  set(names)
  foreach(match ${matches})
    string(REGEX REPLACE "^${pattern}$" "\\1" name "${match}")
    list(APPEND names "${name}")
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed")
endif()

# The export name table: "\t[   3] CANOpen" lines after its heading.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${LIBRARY} has no export name table")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
names_in(exported "${table}" "\n\t\\[ *[0-9]+\\] ([^\n]+)")

file(READ ${HEADER} header)
names_in(declared "${header}" "QZHAL_API [a-z0-9_]+ QZHAL_CALL ([A-Za-z0-9_]+)\\(")

list(LENGTH declared count)
list(SORT exported)
list(SORT declared)
if(NOT count EQUAL 39 OR NOT "${exported}" STREQUAL "${declared}")
  message(FATAL_ERROR "exports differ from the ${count} declared functions:\n"
                      "exported: ${exported}\ndeclared: ${declared}")
endif()
message(STATUS "${LIBRARY} exports exactly the ${count} declared functions")
