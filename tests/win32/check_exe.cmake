# pelmora.exe stands alone: at most 1 MiB, and it imports only Windows' own DLLs (no MinGW
# runtime beside it).
cmake_minimum_required(VERSION 3.25)
#   cmake -DEXE=pelmora.exe -DOBJDUMP=x86_64-w64-mingw32-objdump -P check_exe.cmake
set(system_dlls ADVAPI32 COMCTL32 GDI32 KERNEL32 MSVCRT OLE32 OLEACC OLEAUT32 SHELL32 USER32
    UXTHEME VERSION)
file(SIZE "${EXE}" size)
if(size GREATER 1048576)
    message(FATAL_ERROR "FAIL pelmora.exe is ${size} bytes, more than 1 MiB")
endif()
message("PASS pelmora.exe is ${size} bytes")
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "FAIL no imports found in ${EXE}")
endif()
foreach(import IN LISTS imports)
    string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL].*" "\\1" dll "${import}")
    string(TOUPPER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
        message(FATAL_ERROR "FAIL pelmora.exe needs ${dll}.dll, not a Windows DLL")
    endif()
    message("PASS imports ${dll}.dll, a Windows DLL")
endforeach()
