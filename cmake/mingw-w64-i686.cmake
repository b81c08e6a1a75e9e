# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (see mingw-w64.cmake).
set(PELMORA_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
