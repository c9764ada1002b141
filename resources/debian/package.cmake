# The Debian package (cmake --build <dir> --target package), made with
# CPack from the install rules, plus what Debian expects beside the program:
# copyright, changelog, manual page and lintian overrides. Included by
# app/CMakeLists.txt after the program's own install rules.
#
# A sanitized build gets no package target: its binary needs the sanitizer
# runtimes and is no program to hand out. tools/checks/package builds one
# from a Release build of its own.
if(GZ_SANITIZE)
  return()
endif()

set(GZ_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR})
set(GZ_DEBIAN_OUT ${CMAKE_BINARY_DIR}/debian)

# The Debian revision comes from the changelog's top entry, so the package
# version and the changelog cannot drift apart; its upstream part has to be
# the project's version.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${GZ_DEBIAN_DIR}/changelog)
file(STRINGS ${GZ_DEBIAN_DIR}/changelog _gz_top LIMIT_COUNT 1)
if(NOT _gz_top MATCHES "^gamezinko \\(([^)]+)-([^-)]+)\\) ")
  message(FATAL_ERROR "resources/debian/changelog: the top line is not 'gamezinko (VERSION-REVISION) ...'")
endif()
set(GZ_DEBIAN_REVISION ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(WARNING "resources/debian/changelog starts with ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}: "
                  "add a changelog entry for the new version")
endif()

# Debian ships changelog and manual page gzip -9n compressed (no name, no
# time stamp, so the package stays reproducible).
find_program(GZ_GZIP gzip REQUIRED)
set(GZ_DEBIAN_CHANGELOG ${GZ_DEBIAN_OUT}/changelog.Debian.gz)
set(GZ_DEBIAN_MANPAGE ${GZ_DEBIAN_OUT}/gamezinko.6.gz)
add_custom_command(OUTPUT ${GZ_DEBIAN_CHANGELOG} ${GZ_DEBIAN_MANPAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GZ_DEBIAN_OUT}
  COMMAND ${CMAKE_COMMAND} -E copy ${GZ_DEBIAN_DIR}/changelog ${GZ_DEBIAN_OUT}/changelog.Debian
  COMMAND ${CMAKE_COMMAND} -E copy ${GZ_DEBIAN_DIR}/gamezinko.6 ${GZ_DEBIAN_OUT}/gamezinko.6
  COMMAND ${GZ_GZIP} -9nf ${GZ_DEBIAN_OUT}/changelog.Debian ${GZ_DEBIAN_OUT}/gamezinko.6
  DEPENDS ${GZ_DEBIAN_DIR}/changelog ${GZ_DEBIAN_DIR}/gamezinko.6
  COMMENT "Compressing the Debian changelog and the manual page"
  VERBATIM)
add_custom_target(gz_debian_docs ALL DEPENDS ${GZ_DEBIAN_CHANGELOG} ${GZ_DEBIAN_MANPAGE})

# The packaging strip (CPACK_STRIP_FILES below) leaves the compiler's
# version string in .comment; Debian's own strip step drops it, so do we.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/gamezinko\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${GZ_DEBIAN_DIR}/copyright ${GZ_DEBIAN_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/gamezinko)
install(FILES ${GZ_DEBIAN_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${GZ_DEBIAN_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME gamezinko)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gamezinko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${GZ_DEBIAN_REVISION})
set(CPACK_PACKAGE_CONTACT "Mervo <gamezinko@mervo.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Picture quiz show for two players and a game master")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${GZ_DEBIAN_DIR}/description)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binary links come from dpkg-shlibdeps; the Qt platform
# plugins are loaded at run time, where it cannot see them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Without it the program runs with Qt's English standard buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# A Release build carries no debug information, so stripping only drops the
# symbol table; there is nothing worth a separate debug symbols package.
set(CPACK_STRIP_FILES ON)
# Modes as Debian wants them, whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
