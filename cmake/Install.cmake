# Installation and packages.
#
# Layout below the prefix (/usr for the .deb, /usr/local for a plain `cmake --install`):
#   lib/dorvane/              the program folder: the executables, libdorvane_plugin.so, DVNReplacer.ini,
#                             lang/, sys/ (the default tables) and help/, as in the build's bin/
#   bin/dvnreplacer, ...      links to the program folder's executables (see DORVANE_COMMANDS)
#   share/applications/       dorvane.desktop
#   share/icons/hicolor/      the application icon, PNG sizes and SVG
#   share/man/man1/dorvane.1  the command line's manual page
#
# The program finds its folder as the folder of its executable (the links resolve to it), the plug-in as
# the folder of its library, so both find the same one. A user who may not write there works in a
# per-user folder seeded from it (src/core/PerUserProgramFolder.h).

include(GNUInstallDirs)

set(DORVANE_INSTALL_DIR "lib/dorvane" CACHE STRING "Program folder below the installation prefix")

# dorvane_install_program(TARGET [COMMAND name])
# Installs an executable or the plug-in library into the program folder; with COMMAND also a link of that
# name in bin/. Every program of the product is installed through here, e.g. a new command-line program:
#     dorvane_install_program(dorvane COMMAND dorvane)
# build/launchers holds exactly the commands of this configuration (scripts/check-package.sh checks each).
set(DORVANE_LAUNCHER_DIR ${CMAKE_BINARY_DIR}/launchers)
file(REMOVE_RECURSE ${DORVANE_LAUNCHER_DIR})
file(MAKE_DIRECTORY ${DORVANE_LAUNCHER_DIR})
file(RELATIVE_PATH DORVANE_BIN_TO_PROGRAM_DIR /${CMAKE_INSTALL_BINDIR} /${DORVANE_INSTALL_DIR})
function(dorvane_install_program target)
    cmake_parse_arguments(ARG "" "COMMAND" "" ${ARGN})
    install(TARGETS ${target} RUNTIME DESTINATION ${DORVANE_INSTALL_DIR} LIBRARY DESTINATION ${DORVANE_INSTALL_DIR})
    if(ARG_COMMAND)
        # A relative link, so that the tree works below any prefix and in a package's staging folder.
        set(link ${DORVANE_LAUNCHER_DIR}/${ARG_COMMAND})
        get_target_property(file_name ${target} OUTPUT_NAME)
        if(NOT file_name)
            set(file_name ${target})
        endif()
        file(CREATE_LINK ${DORVANE_BIN_TO_PROGRAM_DIR}/${file_name} ${link} SYMBOLIC)
        install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endfunction()

# The programs. DVNReplacerHost (the demo host) and the benchmarks stay in the build.
dorvane_install_program(DVNReplacer COMMAND dvnreplacer)
dorvane_install_program(DVNRUpdate)
dorvane_install_program(dorvane_plugin)
dorvane_install_program(dorvane-adtg COMMAND dorvane-adtg)
dorvane_install_program(dorvane COMMAND dorvane)

# The program folder's files. The defaults of DVNReplacer.ini and the two tables are written by the
# program's own code (tools/defaults), so they are what a first start would make.
set(DORVANE_DEFAULTS_DIR ${CMAKE_BINARY_DIR}/installed-defaults)
set(DORVANE_DEFAULT_FILES ${DORVANE_DEFAULTS_DIR}/DVNReplacer.ini ${DORVANE_DEFAULTS_DIR}/sys/fdrv.dat
    ${DORVANE_DEFAULTS_DIR}/sys/dtype.dat)
add_custom_command(OUTPUT ${DORVANE_DEFAULT_FILES}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${DORVANE_DEFAULTS_DIR}
    COMMAND dorvane-defaults ${DORVANE_DEFAULTS_DIR}
    DEPENDS dorvane-defaults
    COMMENT "Writing the installed program folder's default files")
add_custom_target(installed_defaults ALL DEPENDS ${DORVANE_DEFAULT_FILES})
install(FILES ${DORVANE_DEFAULTS_DIR}/DVNReplacer.ini DESTINATION ${DORVANE_INSTALL_DIR})
install(FILES ${DORVANE_DEFAULTS_DIR}/sys/fdrv.dat ${DORVANE_DEFAULTS_DIR}/sys/dtype.dat
    DESTINATION ${DORVANE_INSTALL_DIR}/sys)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lang/ DESTINATION ${DORVANE_INSTALL_DIR}/lang FILES_MATCHING PATTERN "*.lng")
# The manuals: those kept in the sources and those the build writes into its program folder.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ ${DORVANE_PROGRAM_DIR}/help/ DESTINATION ${DORVANE_INSTALL_DIR}/help
    PATTERN ".keep" EXCLUDE)

# The command line's manual page, made from its --help text.
set(DORVANE_MANUAL_PAGE ${CMAKE_BINARY_DIR}/man/dorvane.1)
add_custom_command(OUTPUT ${DORVANE_MANUAL_PAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND dorvane-manpage ${DORVANE_MANUAL_PAGE} ${PROJECT_VERSION}
    DEPENDS dorvane-manpage
    COMMENT "Writing the manual page dorvane(1)")
add_custom_target(manual_page ALL DEPENDS ${DORVANE_MANUAL_PAGE})
install(FILES ${DORVANE_MANUAL_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop's view of the program: its menu entry and icon.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/dorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/src/appicon/dorvane-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME dorvane.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/src/appicon/dorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvane)

# Packages: `cpack` in the build folder writes dorvane_VERSION_ARCH.deb and dorvane-VERSION-Linux.tar.gz.
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_PACKAGE_NAME dorvane)
set(CPACK_PACKAGE_VENDOR Dorvane)
set(CPACK_PACKAGE_CONTACT "Dorvane <support@dorvane.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.dorvane.com")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Search and replace text in the tables of a database")
set(CPACK_PACKAGE_DESCRIPTION "Dorvane searches and replaces text in the tables of any ODBC data source \
(SQLite files, PostgreSQL, MariaDB, Access files and more). A run stops at every matching field and \
shows the stored and the proposed value side by side until you save, skip or stop; it can also replace \
without halt.")
set(CPACK_PACKAGE_FILE_NAME dorvane-${PROJECT_VERSION}-Linux)
set(CPACK_STRIP_FILES ON)
# The .deb installs below /usr; the .tar.gz holds bin/, lib/ and share/ for any prefix, e.g.
# `tar -C ~/.local --strip-components=1 -xzf dorvane-VERSION-Linux.tar.gz`.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackGenerators.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
# Library packages from the binaries (dpkg-shlibdeps finds the program's own plug-in library beside
# them), and what the binaries do not name: the ODBC driver manager's configuration and the SQLite
# driver of the embedded default data source, Qt's translations for its own texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${DORVANE_PROGRAM_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "unixodbc, libsqliteodbc, qt6-translations-l10n")
# Opening the manuals and the update page in the browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, odbc-mariadb, odbc-mdbtools")
include(CPack)
