# The x86_64 build of the same sources, which the 64-bit Wine tests run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
