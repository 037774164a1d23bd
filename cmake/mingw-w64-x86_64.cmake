# Cross-building tavolin.exe for 64-bit Windows with Debian's mingw-w64 GCC
# (package g++-mingw-w64-x86-64-posix, the variant with std::thread):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Programs built here run under Wine when it is installed, which lets ctest
# run the Windows test executables on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVOLIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVOLIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVOLIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVOLIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVOLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(TAVOLIN_WINE wine)
if(TAVOLIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVOLIN_WINE})
endif()
set(CMAKE_STRIP ${TAVOLIN_MINGW_PREFIX}-strip)
