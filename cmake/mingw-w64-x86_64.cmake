# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# The posix thread model gives the standard library its threads and mutexes;
# everything is linked statically, so the executables need no DLL but the
# system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RIDLOE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RIDLOE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RIDLOE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${RIDLOE_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RIDLOE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Header-only libraries of the host that suit the cross build too.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/nlohmann_json CACHE PATH "")
