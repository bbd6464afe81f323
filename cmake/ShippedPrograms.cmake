# The programs that go on a distribution medium (install.exe, uninstaller.exe) must start on
# every 32-bit Windows the project supports and leave room on the first floppy. They are built
# by a nested build of this source tree (ZOV_SHIPPED_BUILD) with the win32-thread-model
# compiler, which needs no winpthread, and with flags for size. The rest of the Windows build
# (tests, zovpack.exe) keeps the posix thread model: GoogleTest needs std::mutex, which the
# win32 model of this compiler lacks. The nested build writes each program into the outer
# build tree, where the tests and the import check (tests/imports) find it.
#
# The programs carry the project's own run-time pieces (the unwinder, the C++ handler, the
# entry, the compact unwind table; sys/win32, cmake/shipped.ld, tools/unwind_table) when the
# compiler is the release they were written for (cmake/OwnRuntimeFence.cmake). With any other
# compiler, or with ZOV_COMPILER_RUNTIME, they are built with the compiler's own run-time:
# they work alike, but are larger than the floppy's budget (docs/size.md).
#
#   zov_shipped_program(TARGET OUTPUT_NAME name SOURCES files... LIBS libraries... [ON_REQUEST])
#       in the nested build: the program, with the run-time pieces of sys/win32; in the outer
#       build: a target of that name that runs the nested build, and the program's path for
#       the import check. ON_REQUEST: only in the nested build, built when asked for by name
#   zov_shipped_programs_finish()   once, at the end of the top-level CMakeLists.txt
#   zov_shipped_for_speed(files...)
#       in the nested build: the files of the current folder compiled for speed, not size

option(ZOV_SHIPPED_BUILD "This is the nested build of the programs on the medium" OFF)
set(ZOV_SHIPPED_OUTPUT_DIR "" CACHE PATH "Outer build tree that receives the programs")
set(ZOV_UNWIND_TABLE_TOOL "" CACHE FILEPATH "The build machine's tools/unwind_table program")
option(ZOV_COMPILER_RUNTIME
       "Build the programs on the medium with the compiler's own run-time (larger than their budget)" OFF)
include(${CMAKE_CURRENT_LIST_DIR}/OwnRuntimeFence.cmake)

# The outer build decides, once, which run-time the nested build uses, and says so when it is
# the compiler's. What that costs was measured on the Debian 12 build of both (docs/size.md).
# ZOV_COMPILER_RUNTIME_DIR: the outer build tree's folder of the programs built with the
# compiler's own run-time (the tree itself when those are the programs).
if(WIN32 AND NOT ZOV_SHIPPED_BUILD)
  set(ZOV_OWN_RUNTIME ON)
  set(cost "about 200 KB more a program: install.exe about 457,000 bytes, over its 256,000-byte limit")
  if(ZOV_COMPILER_RUNTIME)
    set(ZOV_OWN_RUNTIME OFF)
    message(NOTICE "Programs on the medium: the compiler's own run-time, as ZOV_COMPILER_RUNTIME asks (${cost})")
  else()
    function(zov_shipped_compiler out)
      include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-win32.cmake)  # the nested build's compiler, in this scope only
      set(${out} ${CMAKE_CXX_COMPILER} PARENT_SCOPE)
    endfunction()
    zov_shipped_compiler(shipped_compiler)
    zov_own_runtime_fits(${shipped_compiler} fits found)
    if(NOT fits)
      set(ZOV_OWN_RUNTIME OFF)
      message(NOTICE "Programs on the medium: ${shipped_compiler} is ${found}, not the GCC ${ZOV_OWN_RUNTIME_GCC} "
                     "with the library of ${ZOV_OWN_RUNTIME_GLIBCXX} (Debian 12) that the project's own run-time "
                     "is written for: built with the compiler's own run-time (${cost})")
    else()
      message(STATUS "Programs on the medium: the project's own run-time (${found})")
    endif()
  endif()
  if(ZOV_OWN_RUNTIME)
    set(ZOV_COMPILER_RUNTIME_DIR ${CMAKE_BINARY_DIR}/compiler-runtime)
  else()
    set(ZOV_COMPILER_RUNTIME_DIR ${CMAKE_BINARY_DIR})
  endif()
endif()

if(ZOV_SHIPPED_BUILD)
  # Our code runs on any x86 from the 486 on: Windows 98 and NT 4.0 ran on machines without
  # the Pentium Pro's conditional moves, which the compiler would use by default. (The
  # prebuilt run-time library still has a few; tests/imports counts them.)
  set(code_flags -march=i486)
  # Size (docs/size.md; each step was measured as it came, see git log): optimise for size
  # beyond -Os, no type information beyond what exceptions need, no locks around static initialisation (one
  # thread), the 4-byte stack alignment that Win32 itself keeps, and link-time optimisation
  # as one partition (GCC 12 fails on PE symbols split across partitions). The code
  # generation flags go to the link as well, where link-time optimisation generates the code.
  # Functions in sections of their own saved nothing beside link-time optimisation.
  set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG")
  list(APPEND code_flags -fno-rtti -fno-threadsafe-statics -mpreferred-stack-boundary=2)
  # One body per constructor and destructor variant: the single shared body that -Os asks for
  # is local to each translation unit, so every unit kept its own copy of the string's and
  # the exceptions' constructors (4.5 KB).
  list(APPEND code_flags -fno-declone-ctor-dtor)
  # A function of its own costs more here than the inliner's estimate of two instructions: its
  # entry and exit and its unwind entry (about 35 bytes); at 8 the small functions called from
  # a few places are inlined (1 KB less).
  list(APPEND code_flags --param=uninlined-function-insns=8)
  # The reference-counted string of the library's old ABI: its operations are calls into the
  # library where the current string's short-string buffer is inlined at every use. These
  # programs link nothing else built with the current ABI.
  list(APPEND code_flags -D_GLIBCXX_USE_CXX11_ABI=0)
  # Math functions need not set errno (nothing reads it): a square root is then the
  # processor's instruction, not a call into the C library.
  list(APPEND code_flags -fno-math-errno)
  # Arguments pushed, not stored into space the prologue reserved (a push of a register is
  # one byte, a store four). The compiler reserves that space whenever it probes the stack
  # through the library's __chkstk_ms, as Windows targets do by default; the frames larger
  # than the one guard page Windows keeps below the stack (a few buffers of 8 or 16 KB) are
  # probed page by page in their prologue instead. install.exe 16 KB, uninstaller.exe 10 KB
  # smaller.
  list(APPEND code_flags -mno-stack-arg-probe -mno-accumulate-outgoing-args -fstack-clash-protection)
  add_compile_options(${code_flags})
  # No exception comes out of a Windows function: our unwinder finds no unwind record in the
  # system's libraries, so none could pass through them either. Declared so (the headers
  # mark every imported function with DECLSPEC_IMPORT), the calls into Windows need no
  # landing pads and no handler-table entries.
  add_compile_definitions("DECLSPEC_IMPORT=__declspec(dllimport) __attribute__((__nothrow__))")
  set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
  add_link_options(${code_flags} -flto-partition=one)
  add_custom_target(zov_shipped)
endif()
if(ZOV_SHIPPED_BUILD AND NOT ZOV_COMPILER_RUNTIME)
  # The programs' entry (sys/win32/startup.cpp) in place of the C run-time's start-up code:
  # built as crt2.o in a folder given to the compiler with -B, where it looks for that file
  # first. (Left out with -nostartfiles and given as an object, the linker crashes on the
  # layout script.) No exception passes through it.
  add_library(zov_startup OBJECT ${PROJECT_SOURCE_DIR}/sys/win32/startup.cpp)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/sys/win32/startup.cpp PROPERTIES
                              COMPILE_OPTIONS "-fno-lto;-fno-exceptions;-fno-asynchronous-unwind-tables")
  set(ZOV_STARTFILES ${CMAKE_BINARY_DIR}/startfiles)
  add_custom_command(OUTPUT ${ZOV_STARTFILES}/crt2.o
                     COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_OBJECTS:zov_startup> ${ZOV_STARTFILES}/crt2.o
                     DEPENDS zov_startup $<TARGET_OBJECTS:zov_startup> COMMAND_EXPAND_LISTS)
  add_custom_target(zov_startfiles DEPENDS ${ZOV_STARTFILES}/crt2.o)
endif()

# The LH5 decoder with its bit reader runs once per bit of the payload: the installs'
# expansion spends its time there, so it is compiled for speed (the rest for size; the codec
# runner's buffers and the segments' CRC-32 measured no faster at -O2, docs/size.md). -mtune
# only orders the instructions for the Pentium Pro and later; the instruction set stays the
# 486's.
function(zov_shipped_for_speed)
  if(ZOV_SHIPPED_BUILD)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "-O2;-mtune=i686;-fno-reorder-blocks-and-partition")
  endif()
endfunction()

# zov_own_runtime(TARGET NAME OUTPUT_DIR): the project's own run-time pieces in a program of
# the nested build, and its unwind table written after the link.
function(zov_own_runtime target name dir)
  set(runtime ${PROJECT_SOURCE_DIR}/sys/win32)
  target_sources(${target} PRIVATE ${runtime}/shipped_runtime.cpp ${runtime}/frame_lookup.cpp
                 ${runtime}/unwind_table.cpp ${runtime}/unwinder.cpp ${runtime}/personality.cpp
                 ${runtime}/long_division.cpp)
  # The unwinder's entry points are assembly, and the calls to the 64-bit division appear
  # only as link-time optimisation generates the code: both would stay hidden from the
  # linker, which would take the library's. No exception passes through either, so they
  # need no unwind records.
  set_source_files_properties(${runtime}/unwinder.cpp ${runtime}/long_division.cpp PROPERTIES
                              COMPILE_OPTIONS "-fno-lto;-fno-exceptions;-fno-asynchronous-unwind-tables")
  # shipped.ld: the small start-up and thread-local sections inside .data, 1 KB less.
  target_link_options(${target} PRIVATE -B${ZOV_STARTFILES}/ -Wl,-T,${PROJECT_SOURCE_DIR}/cmake/shipped.ld)
  # The unwind records as the compact table the run-time reads (sys/win32/unwind_table.h),
  # written over them after the link; the file gives back the bytes it saves.
  if(NOT ZOV_UNWIND_TABLE_TOOL)
    message(FATAL_ERROR "ZOV_UNWIND_TABLE_TOOL: the nested build needs tools/unwind_table")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${ZOV_UNWIND_TABLE_TOOL} $<TARGET_FILE:${target}> ${dir}/${name}.map
                     VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
               ${PROJECT_SOURCE_DIR}/cmake/shipped.ld ${ZOV_STARTFILES}/crt2.o ${ZOV_UNWIND_TABLE_TOOL})
  add_dependencies(${target} zov_startfiles)
endfunction()

# zov_shipped_executable(TARGET NAME DIR OWN SOURCES...): one program of the nested build,
# written to DIR, with the project's own run-time when OWN is true, else the compiler's.
function(zov_shipped_executable target name dir own)
  add_executable(${target} WIN32 ${ARGN} ${PROJECT_SOURCE_DIR}/sys/win32/dll_search.cpp
                 ${PROJECT_SOURCE_DIR}/sys/win32/out_of_memory.cpp)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} RUNTIME_OUTPUT_DIRECTORY ${dir})
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections -Wl,-Map=${dir}/${name}.map)
  if(own)
    zov_own_runtime(${target} ${name} ${dir})
  endif()
endfunction()

function(zov_shipped_program target)
  cmake_parse_arguments(P "ON_REQUEST" "OUTPUT_NAME" "SOURCES;LIBS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  if(ZOV_SHIPPED_BUILD)
    if(ZOV_COMPILER_RUNTIME)
      set(own FALSE)
    else()
      set(own TRUE)
    endif()
    zov_shipped_executable(${target} ${P_OUTPUT_NAME} ${ZOV_SHIPPED_OUTPUT_DIR}/${rel} ${own} ${P_SOURCES})
    target_link_libraries(${target} PRIVATE ${P_LIBS})
    if(P_ON_REQUEST)
      set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    else()
      add_dependencies(zov_shipped ${target})
      # Beside the programs with the project's own run-time, the same programs with the
      # compiler's (under compiler-runtime/), which the tests run too: the fallback for other
      # compilers is linked from the same objects and cannot fall behind unnoticed.
      if(own)
        zov_shipped_executable(${target}_compiler_runtime ${P_OUTPUT_NAME}
                               ${ZOV_SHIPPED_OUTPUT_DIR}/compiler-runtime/${rel} FALSE ${P_SOURCES})
        target_link_libraries(${target}_compiler_runtime PRIVATE ${P_LIBS})
        add_dependencies(zov_shipped ${target}_compiler_runtime)
      endif()
    endif()
  elseif(NOT P_ON_REQUEST)
    set_property(GLOBAL APPEND PROPERTY ZOV_SHIPPED_PROGRAMS
                 ${CMAKE_BINARY_DIR}/${rel}/${P_OUTPUT_NAME}.exe)
    if(ZOV_OWN_RUNTIME)
      set_property(GLOBAL APPEND PROPERTY ZOV_SHIPPED_BYPRODUCTS
                   ${ZOV_COMPILER_RUNTIME_DIR}/${rel}/${P_OUTPUT_NAME}.exe)
    endif()
    # The target's name builds the program here too, through the nested build.
    add_custom_target(${target})
    add_dependencies(${target} zov_shipped_build)
  endif()
endfunction()

# The nested build, made once every shipped program is known.
function(zov_shipped_programs_finish)
  if(ZOV_SHIPPED_BUILD)
    return()
  endif()
  get_property(programs GLOBAL PROPERTY ZOV_SHIPPED_PROGRAMS)
  get_property(variants GLOBAL PROPERTY ZOV_SHIPPED_BYPRODUCTS)
  # Ninja would run cores + 2 jobs beside the outer build's; one per core is enough.
  cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
  include(ExternalProject)
  set(compiler_runtime ON)
  set(tool_args "")
  set(tool_target "")
  if(ZOV_OWN_RUNTIME)
    set(compiler_runtime OFF)
    # The unwind table tool runs on the build machine: built with its own compiler.
    set(tool_args -DZOV_UNWIND_TABLE_TOOL=${CMAKE_BINARY_DIR}/unwind_table/unwind_table)
    set(tool_target zov_unwind_table_tool)
    ExternalProject_Add(zov_unwind_table_tool
      SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/unwind_table
      BINARY_DIR ${CMAKE_BINARY_DIR}/unwind_table
      CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/unwind_table/unwind_table
      INSTALL_COMMAND "")
  endif()
  ExternalProject_Add(zov_shipped_build
    DEPENDS ${tool_target}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/shipped
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686-win32.cmake
               -DCMAKE_BUILD_TYPE=MinSizeRel -DZOV_SHIPPED_BUILD=ON -DZOV_TESTS=OFF
               -DZOV_SHIPPED_OUTPUT_DIR=${CMAKE_BINARY_DIR}
               -DZOV_COMPILER_RUNTIME=${compiler_runtime} ${tool_args}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target zov_shipped -j ${cores}
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${programs} ${variants}
    INSTALL_COMMAND "")
endfunction()
