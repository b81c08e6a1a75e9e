# What the Debian package carries besides the program, and its control fields: the manual
# page, the changelog and the machine-readable copyright, compressed as Debian wants them
# (gzip -9n: smallest, and no time stamp that would change the package from build to build).
# Included from app/CMakeLists.txt.
set(debian_dir ${CMAKE_CURRENT_LIST_DIR})
set(debian_out ${CMAKE_CURRENT_BINARY_DIR}/debian)

file(STRINGS ${debian_dir}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^pelmora \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "app/debian/changelog has no entry for version ${PROJECT_VERSION} first")
endif()
configure_file(${debian_dir}/pelmora.1.in ${debian_out}/pelmora.1 @ONLY)
configure_file(${debian_dir}/copyright.in ${debian_out}/copyright @ONLY)
configure_file(${debian_dir}/changelog ${debian_out}/changelog COPYONLY)
add_custom_command(OUTPUT ${debian_out}/pelmora.1.gz ${debian_out}/changelog.gz
                   COMMAND gzip -9nkf ${debian_out}/pelmora.1 ${debian_out}/changelog
                   DEPENDS ${debian_out}/pelmora.1 ${debian_out}/changelog VERBATIM)
add_custom_target(pelmora_debian_docs ALL
                  DEPENDS ${debian_out}/pelmora.1.gz ${debian_out}/changelog.gz)

install(FILES ${debian_out}/pelmora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${debian_out}/copyright ${debian_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)

# Lines under 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Of the radius of the base, the slant height, the lateral area and the total
area of a right circular cone, pick the two you know and type them: Pelmora
writes all four, with three decimals, exact to the last bit. The interface is
in Bulgarian; results are written with the user's regional number settings.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Shipped stripped: the symbols stay in the build folder.
set(CPACK_STRIP_FILES ON)
