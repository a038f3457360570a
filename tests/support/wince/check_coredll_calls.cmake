# Checks that the program's objects call no C or Win32 function that
# Windows Embedded Compact's system library, coredll, does not export.
# cmake -DNM=... -DOBJECTS="a.obj|b.obj" -DEXPORTS=coredll-exports.txt
#       -DHEADER=QZHalLib.h [-DSYMBOL_PREFIX=_] [-DPROGRAM=name] -P check_coredll_calls.cmake
# SYMBOL_PREFIX: what the target puts before C names (_ on 32-bit x86);
# PROGRAM: the program the objects make, for the messages.
#
# Left out: C++ names (the C++ runtime), the compiler's own helpers, and the
# board library's functions (QZHalLib.h). The mingw-w64 headers spell a few
# C runtime calls differently from the CE headers; those are mapped to the
# name the CE runtime exports.

cmake_policy(SET CMP0057 NEW)
if(NOT PROGRAM)
  set(PROGRAM "the program")
endif()

file(STRINGS ${EXPORTS} exported REGEX "^[^#]")
# The CE headers make these from exported calls (see the list's header).
list(APPEND exported SetEvent ResetEvent PulseEvent ExitProcess GetCurrentProcess GetCurrentThread
                     GetCurrentProcessId GetCurrentThreadId)

file(READ ${HEADER} header)
string(REGEX MATCHALL "QZHAL_CALL [A-Za-z0-9_]+\\(" library "${header}")
string(REGEX REPLACE "QZHAL_CALL ([A-Za-z0-9_]+)\\(" "\\1" library "${library}")

# mingw-w64's names for what the CE headers spell otherwise: the standard
# streams (stdin, stdout), and the one function its C++ headers route every
# printf-family call through (narrow and wide), whose whole family coredll
# exports, and setjmp, which the CE compilers for ARM call by its own name
# while mingw-w64 calls it _setjmp3 on 32-bit x86 and _setjmp on x86-64.
set(mingw_renamed __acrt_iob_func __iob_func __mingw_vfprintf __mingw_vfwprintf _setjmp3 _setjmp)
set(ce_names _getstdfilex _getstdfilex vfprintf vfwprintf setjmp setjmp)

# without_prefix(out name prefix): name without prefix, once.
function(without_prefix out name prefix)
  string(LENGTH "${prefix}" length)
  string(SUBSTRING "${name}" 0 ${length} start)
  if(length GREATER 0 AND start STREQUAL prefix)
    string(SUBSTRING "${name}" ${length} -1 name)
  endif()
  set(${out} "${name}" PARENT_SCOPE)
endfunction()

# symbols_of(out object option): the names nm lists with option.
function(symbols_of out object option)
  execute_process(COMMAND ${NM} ${option} ${object} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} ${option} ${object} failed")
  endif()
  string(REGEX MATCHALL "[^ \n]+\n" names "${listing}")
  string(REGEX REPLACE "\n" "" names "${names}")
  set(${out} ${names} PARENT_SCOPE)
endfunction()

string(REPLACE "|" ";" objects "${OBJECTS}")
set(defined)
set(undefined)
foreach(object ${objects})
  symbols_of(names ${object} --defined-only)
  list(APPEND defined ${names})
  symbols_of(names ${object} --undefined-only)
  list(APPEND undefined ${names})
endforeach()

set(called)
foreach(symbol ${undefined})
  if(symbol IN_LIST defined)
    continue()  # the program's own
  endif()
  without_prefix(name "${symbol}" "__imp_")
  without_prefix(name "${name}" "${SYMBOL_PREFIX}")
  # stdcall names end in @<argument bytes>.
  string(REGEX REPLACE "@[0-9]+$" "" name "${name}")
  # C++ names, and what the compiler calls on its own: exception unwinding,
  # guards of static locals, stack probes, the registration of static
  # objects' destructors, 64-bit division.
  if(name MATCHES "^_Z" OR name MATCHES "^(__cxa_|_Unwind_|__gxx_personality|_*chkstk|_alloca$|__main$|atexit$|__(u?div|u?mod)di3$)")
    continue()
  endif()
  list(FIND mingw_renamed "${name}" renamed)
  if(renamed GREATER -1)
    list(GET ce_names ${renamed} name)
  endif()
  list(APPEND called ${name})
endforeach()
list(REMOVE_DUPLICATES called)
list(SORT called)

set(stray)
foreach(name ${called})
  if(NOT name IN_LIST exported AND NOT name IN_LIST library)
    list(APPEND stray ${name})
  endif()
endforeach()
list(REMOVE_ITEM called ${library})
list(LENGTH called count)
if(stray)
  message(FATAL_ERROR "called, but not exported by coredll: ${stray}\n(the ${count} C and Win32 calls: ${called})")
endif()
message(STATUS "${PROGRAM}'s ${count} C and Win32 calls are all coredll exports: ${called}")
