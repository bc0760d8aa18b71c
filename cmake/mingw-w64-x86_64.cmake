# Cross build for 64-bit Windows with the MinGW-w64 compilers (posix thread model, for
# std::thread and friends). Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXLAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXLAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXLAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXLAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXLAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime goes into each program, so that the .exe and .dll files run
# without the MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(VEXLAN_WINE NAMES wine64 wine)
if(VEXLAN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXLAN_WINE})
endif()
