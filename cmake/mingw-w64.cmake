# Cross-compiles the Windows program (x86-64) with Debian's mingw-w64 and
# runs the Windows test programs under Wine, so that ctest works unchanged.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of Debian's mingw-w64 lacks. The static link keeps winpthread inside the exe.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no libstdc++, libgcc or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
set(CMAKE_CXX_FLAGS_INIT "-DWIN32_LEAN_AND_MEAN -DNOMINMAX -ffunction-sections -fdata-sections")

# Wine's 64-bit loader; scripts/wine-env.sh sets up the prefix it runs in.
find_program(GLIMVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT GLIMVANE_WINE)
  find_program(GLIMVANE_WINE NAMES wine64 wine)
endif()
if(GLIMVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GLIMVANE_WINE})
endif()
