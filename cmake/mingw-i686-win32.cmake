# 32-bit Windows programs with the win32 thread model: the C++ runtime uses kernel32 for its
# few locks and needs no winpthread, whose imports (GetTickCount64 among them) would keep
# the programs from starting on older Windows. It has no std::thread or std::mutex.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_AR i686-w64-mingw32-gcc-ar-win32 CACHE FILEPATH "")
set(CMAKE_RANLIB i686-w64-mingw32-gcc-ranlib-win32 CACHE FILEPATH "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-base.cmake)
