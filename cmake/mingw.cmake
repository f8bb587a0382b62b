# Cross toolchain from Debian's MinGW-w64 packages, for the processor the including file names
# (CMAKE_SYSTEM_PROCESSOR).
set(CMAKE_SYSTEM_NAME Windows)
set(_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

# The win32 threads flavour needs no winpthread DLL at run time.
find_program(_cxx NAMES ${_triple}-g++-win32 ${_triple}-g++ REQUIRED)
find_program(_cc NAMES ${_triple}-gcc-win32 ${_triple}-gcc REQUIRED)
find_program(_rc NAMES ${_triple}-windres REQUIRED)
set(CMAKE_C_COMPILER ${_cc})
set(CMAKE_CXX_COMPILER ${_cxx})
set(CMAKE_RC_COMPILER ${_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
