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

# Nothing that Windows 7 SP1 lacks: the loader would refuse to start the program there.
# Each newer function the window could want is looked up at run time instead.
set(post_windows_7
    GetDpiForWindow                  # Windows 10 1607
    AdjustWindowRectExForDpi         # Windows 10 1607
    GetSystemMetricsForDpi           # Windows 10 1607
    SystemParametersInfoForDpi       # Windows 10 1607
    EnableNonClientDpiScaling        # Windows 10 1607
    GetDpiForSystem                  # Windows 10 1607
    SetThreadDpiAwarenessContext     # Windows 10 1607
    GetThreadDpiAwarenessContext     # Windows 10 1607
    GetWindowDpiAwarenessContext     # Windows 10 1607
    AreDpiAwarenessContextsEqual     # Windows 10 1607
    SetThreadDescription             # Windows 10 1607
    SetProcessDpiAwarenessContext    # Windows 10 1703
    UiaRaiseNotificationEvent        # Windows 10 1709
    GetDpiForMonitor                 # Windows 8.1 (shcore.dll)
    SetProcessDpiAwareness           # Windows 8.1 (shcore.dll)
    LogicalToPhysicalPointForPerMonitorDPI  # Windows 8.1
    PhysicalToLogicalPointForPerMonitorDPI  # Windows 8.1
    GetSystemTimePreciseAsFileTime   # Windows 8
    GetCurrentThreadStackLimits      # Windows 8
    CreateFile2                      # Windows 8
    WaitOnAddress                    # Windows 8
    WakeByAddressSingle              # Windows 8
    WakeByAddressAll                 # Windows 8
    InitializeSynchronizationBarrier # Windows 8
    PrefetchVirtualMemory            # Windows 8
    SetProcessMitigationPolicy       # Windows 8
    GetProcessMitigationPolicy       # Windows 8
)
foreach(function IN LISTS post_windows_7)
    if(headers MATCHES "[ \t]${function}\n")
        message(FATAL_ERROR "FAIL pelmora.exe imports ${function}, which Windows 7 lacks")
    endif()
endforeach()
if(headers MATCHES "DLL Name: ([Ss][Hh][Cc][Oo][Rr][Ee]|api-ms-win-)")
    message(FATAL_ERROR "FAIL pelmora.exe imports a DLL that Windows 7 lacks")
endif()
message("PASS no import that Windows 7 SP1 lacks")

# On 32-bit x86: no x87 arithmetic in the exact code (OBJECTS, its object files), whose last
# bits would then depend on the x87 unit's 80-bit registers. Loads and stores of a double
# (how the 32-bit calling convention returns one) are exact and allowed.
foreach(object IN LISTS OBJECTS)
    execute_process(COMMAND "${OBJDUMP}" -d "${object}" OUTPUT_VARIABLE code
                    COMMAND_ERROR_IS_FATAL ANY)
    if(code MATCHES "\t(f(add|sub|subr|mul|div|divr|sqrt|prem|scale)[lsp]?|fi(add|sub|mul|div)[ls]?) ")
        message(FATAL_ERROR "FAIL ${object} does arithmetic on the x87 unit: ${CMAKE_MATCH_1}")
    endif()
    cmake_path(GET object FILENAME name)
    message("PASS ${name}: its arithmetic is SSE2's")
endforeach()
