# 32-bit Windows programs from Debian's mingw-w64 with the posix thread model, whose C++
# runtime has std::mutex and std::thread, which GoogleTest and the tests need. The programs
# on the medium are built with mingw-i686-win32.cmake instead (cmake/ShippedPrograms.cmake).
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-base.cmake)
