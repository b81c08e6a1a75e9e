# Compiles the glibc locales that the regional tests run under into FOLDER, which the tests
# read through LOCPATH, so that nothing has to be installed system-wide. Run by CTest as the
# set-up of the pelmora_locales fixture:
#   cmake -DFOLDER=<folder> -DLOCALES=bg_BG,fr_FR.ISO-8859-1 -P compile_locales.cmake
# A name without a character set ("bg_BG") is compiled in UTF-8.
# A locale that cannot be compiled here is reported and left out; the tests that need it skip.
find_program(LOCALEDEF localedef)
string(REPLACE "," ";" LOCALES "${LOCALES}")
file(MAKE_DIRECTORY ${FOLDER})
foreach(wanted IN LISTS LOCALES)
    if(wanted MATCHES "^([^.]+)\\.(.+)$")
        set(name ${CMAKE_MATCH_1})
        set(charset ${CMAKE_MATCH_2})
    else()
        set(name ${wanted})
        set(charset UTF-8)
    endif()
    set(locale ${FOLDER}/${name}.${charset})
    if(EXISTS ${locale}/LC_NUMERIC)
        continue()
    endif()
    if(LOCALEDEF)
        # localedef exits with 1 on mere warnings, so the result is judged by what it wrote.
        execute_process(COMMAND ${LOCALEDEF} -i ${name} -f ${charset} ${locale}
                        OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(EXISTS ${locale}/LC_NUMERIC)
        message(STATUS "Compiled ${name}.${charset} into ${FOLDER}")
    else()
        message(STATUS "Could not compile ${name}.${charset} (localedef and the locales package "
                       "are needed); the tests under it will skip")
    endif()
endforeach()
