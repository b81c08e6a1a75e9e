# Signs Windows files with osslsigncode (Authenticode) when a certificate is given:
#   cmake -DFILES="a.exe;b.msi" -P cmake/sign.cmake
# or, as a CPack post-build script, the packages CPack made (CPACK_PACKAGE_FILES).
# The certificate comes from the environment: PELMORA_SIGN_PFX, a PKCS#12 file;
# PELMORA_SIGN_PASSWORD, its password (if it has one); PELMORA_SIGN_TIMESTAMP, a timestamp
# server's URL (none is asked unless one is named). Without PELMORA_SIGN_PFX the files stay
# unsigned, and it says so.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED FILES)
    set(FILES)
    foreach(package IN LISTS CPACK_PACKAGE_FILES)
        if(package MATCHES "\\.(exe|msi)$")
            list(APPEND FILES ${package})
        endif()
    endforeach()
endif()

set(pfx "$ENV{PELMORA_SIGN_PFX}")
if(pfx STREQUAL "")
    foreach(file IN LISTS FILES)
        cmake_path(GET file FILENAME name)
        message(STATUS "${name} is not signed: PELMORA_SIGN_PFX names no certificate")
    endforeach()
    return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
set(options -pkcs12 "${pfx}" -n Pelmora -h sha256)
if(NOT "$ENV{PELMORA_SIGN_PASSWORD}" STREQUAL "")
    # From a file only its owner reads, not from the command line that anyone can list.
    string(RANDOM LENGTH 16 suffix)
    set(password_file "${CMAKE_CURRENT_BINARY_DIR}/.sign-password-${suffix}")
    file(TOUCH "${password_file}")
    file(CHMOD "${password_file}" PERMISSIONS OWNER_READ OWNER_WRITE)
    file(WRITE "${password_file}" "$ENV{PELMORA_SIGN_PASSWORD}")
    list(APPEND options -readpass "${password_file}")
endif()
if(NOT "$ENV{PELMORA_SIGN_TIMESTAMP}" STREQUAL "")
    list(APPEND options -ts "$ENV{PELMORA_SIGN_TIMESTAMP}")
endif()
foreach(file IN LISTS FILES)
    cmake_path(GET file FILENAME name)
    file(REMOVE "${file}.signed")
    execute_process(COMMAND "${OSSLSIGNCODE}" sign ${options} -in "${file}" -out "${file}.signed"
                    RESULT_VARIABLE status OUTPUT_QUIET)
    if(NOT status EQUAL 0)
        file(REMOVE "${file}.signed" "${password_file}")
        message(FATAL_ERROR "Signing ${name} failed")
    endif()
    file(RENAME "${file}.signed" "${file}")
    message(STATUS "${name} is signed")
endforeach()
if(DEFINED password_file)
    file(REMOVE "${password_file}")
endif()
