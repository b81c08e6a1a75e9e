# Cross-compiles for 64-bit Windows with Debian's mingw-w64 and runs the results under Wine;
# for 32-bit Windows when PELMORA_MINGW_PROCESSOR is i686 (cmake/mingw-w64-i686.cmake).
# The -posix compilers use winpthreads, which std::thread and std::mutex (and so GoogleTest)
# need; the -win32 ones do not have them.
if(NOT DEFINED PELMORA_MINGW_PROCESSOR)
    set(PELMORA_MINGW_PROCESSOR x86_64)
endif()
set(triple ${PELMORA_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PELMORA_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ runtimes and winpthreads linked in, so an .exe needs no MinGW DLL beside it:
# `x86_64-w64-mingw32-objdump -p X.exe | grep 'DLL Name'` lists only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# CTest runs every test executable through Wine, in the prefix that scripts/wine.sh names.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh
                       ABSOLUTE)
