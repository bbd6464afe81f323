# The compiler and C++ library release that the project's own run-time pieces were written
# for: Debian 12 "bookworm"'s mingw-w64 GCC 12. Those pieces (sys/win32: shipped_runtime,
# unwinder, personality, startup, long_division, frame_lookup, unwind_table; cmake/shipped.ld;
# tools/unwind_table) know the library's private exception record, the names of its object
# files and the link map's layout, which any other release may change.
set(ZOV_OWN_RUNTIME_GCC 12)
set(ZOV_OWN_RUNTIME_GLIBCXX 20220819)

# zov_own_runtime_fits(COMPILER FITS FOUND): FITS is true when COMPILER (a command, a list) is
# that release; FOUND says what it is, for the configure line.
function(zov_own_runtime_fits compiler fits found)
  execute_process(COMMAND ${compiler} -x c++ -dM -E -include bits/c++config.h -
                  INPUT_FILE /dev/null OUTPUT_VARIABLE macros ERROR_QUIET RESULT_VARIABLE failed)
  set(gcc "")
  set(library "")
  if(NOT failed AND macros MATCHES "#define __GNUC__ ([0-9]+)")
    set(gcc ${CMAKE_MATCH_1})
  endif()
  if(NOT failed AND macros MATCHES "#define __GLIBCXX__ ([0-9]+)")
    set(library ${CMAKE_MATCH_1})
  endif()
  if(gcc STREQUAL "" OR library STREQUAL "")
    set(${found} "a compiler that is not GCC with its C++ library" PARENT_SCOPE)
  else()
    set(${found} "GCC ${gcc} with the C++ library of ${library}" PARENT_SCOPE)
  endif()
  if(gcc STREQUAL ZOV_OWN_RUNTIME_GCC AND library STREQUAL ZOV_OWN_RUNTIME_GLIBCXX)
    set(${fits} TRUE PARENT_SCOPE)
  else()
    set(${fits} FALSE PARENT_SCOPE)
  endif()
endfunction()
