# Which compilers get the project's own run-time (cmake/OwnRuntimeFence.cmake): stand-in
# compilers that print the release macros of other compilers and libraries.
#   cmake -DSOURCE=DIR -P fence_test.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE}/cmake/OwnRuntimeFence.cmake)
# GCC release; C++ library release; whether the own run-time fits
foreach(case "12;20220819;TRUE" "12;20230101;FALSE" "13;20220819;FALSE" "13;20240520;FALSE" "11;20220421;FALSE"
             "12;;FALSE" ";;FALSE")
  list(GET case 0 gcc)
  list(GET case 1 library)
  list(GET case 2 expected)
  set(macros "")
  if(gcc)
    string(APPEND macros "#define __GNUC__ ${gcc}\\n#define __GNUC_MINOR__ 2\\n")
  endif()
  if(library)
    string(APPEND macros "#define __GLIBCXX__ ${library}\\n")
  endif()
  zov_own_runtime_fits("sh;-c;printf '${macros}'" fits found)
  if(NOT fits STREQUAL expected)
    message(SEND_ERROR "GCC '${gcc}', library '${library}': fits ${fits}, expected ${expected} (${found})")
  else()
    message(STATUS "ok: GCC '${gcc}', library '${library}' -> ${fits}: ${found}")
  endif()
endforeach()
zov_own_runtime_fits("${SOURCE}/no-such-compiler" fits found)
if(fits)
  message(SEND_ERROR "a compiler that does not run fits")
endif()
