# Compiles the glibc locales that the regional tests run under into FOLDER, which the tests
# read through LOCPATH, so that nothing has to be installed system-wide. Run by CTest as the
# set-up of the pelmora_locales fixture:
#   cmake -DFOLDER=<folder> -DLOCALES=bg_BG,de_DE -P compile_locales.cmake
# A locale that cannot be compiled here is reported and left out; the tests that need it skip.
find_program(LOCALEDEF localedef)
string(REPLACE "," ";" LOCALES "${LOCALES}")
file(MAKE_DIRECTORY ${FOLDER})
foreach(name IN LISTS LOCALES)
    set(locale ${FOLDER}/${name}.UTF-8)
    if(EXISTS ${locale}/LC_NUMERIC)
        continue()
    endif()
    if(LOCALEDEF)
        # localedef exits with 1 on mere warnings, so the result is judged by what it wrote.
        execute_process(COMMAND ${LOCALEDEF} -i ${name} -f UTF-8 ${locale}
                        OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(EXISTS ${locale}/LC_NUMERIC)
        message(STATUS "Compiled ${name}.UTF-8 into ${FOLDER}")
    else()
        message(STATUS "Could not compile ${name}.UTF-8 (localedef and the locales package "
                       "are needed); the tests under it will skip")
    endif()
endforeach()
