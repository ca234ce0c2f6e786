# Cross build for 64-bit Windows with mingw-w64 (Debian's posix-thread
# variant), tests run under Wine. Used by the windows-cross preset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, winpthreads and zlib: a program that needs a DLL Wine cannot
# find ends silently with status 53.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

# The wine64 loader runs the tests (add_test and gtest_discover_tests alike).
# Debian has it outside PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(LANZHOU_WINE64_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(LANZHOU_WINE64_LOADER NAMES wine64 wine)
  if(LANZHOU_WINE64_LOADER)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${LANZHOU_WINE64_LOADER})
  endif()
endif()
