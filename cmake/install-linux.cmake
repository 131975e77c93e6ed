# Installing the Linux saver and packaging it as a Debian package (cpack -G DEB):
#   bin/tavo                               the program
#   libexec/xscreensaver/tavo              where XScreenSaver looks for its hacks (a link to bin/tavo)
#   share/xscreensaver/config/tavo.xml     the controls xscreensaver-settings shows
#   share/man/man6/tavo.6.gz               the manual page
#   share/doc/tavo/copyright               the licence
include(GNUInstallDirs)

if(TARGET tavo)
    install(TARGETS tavo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A relative link, so the tree can move (DESTDIR, an unpacked .deb) and still point at the program.
    file(RELATIVE_PATH TAVO_HACK_LINK "/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver" "/${CMAKE_INSTALL_BINDIR}/tavo")
    install(CODE "
        set(hackdir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
        file(MAKE_DIRECTORY \"\${hackdir}\")
        file(CREATE_LINK \"${TAVO_HACK_LINK}\" \"\${hackdir}/tavo\" SYMBOLIC)
        message(STATUS \"Installing: \${hackdir}/tavo -> ${TAVO_HACK_LINK}\")")
endif()

install(FILES ${CMAKE_SOURCE_DIR}/resources/tavo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
if(TAVO_MAN_PAGE)
    # Debian installs manual pages compressed.
    set(TAVO_MAN_PAGE_GZ ${CMAKE_BINARY_DIR}/tavo.6.gz)
    add_custom_command(OUTPUT ${TAVO_MAN_PAGE_GZ}
        COMMAND gzip -9n -c ${TAVO_MAN_PAGE} > ${TAVO_MAN_PAGE_GZ}
        DEPENDS ${TAVO_MAN_PAGE} VERBATIM)
    add_custom_target(tavo_man_gz ALL DEPENDS ${TAVO_MAN_PAGE_GZ})
    install(FILES ${TAVO_MAN_PAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavo RENAME copyright)

set(CPACK_PACKAGE_NAME tavo)
set(CPACK_PACKAGE_VERSION ${TAVO_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Tavo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "particle-trail screen saver for XScreenSaver")
set(CPACK_PACKAGE_DESCRIPTION "One emitter flies under random attractors and sheds particles that drift, fade,
sparkle and change colour; every particle is drawn several times, rotated about the screen centre. Fifteen
patterns morph into one another. Runs full screen, in a window, as an XScreenSaver hack and headless.")
set(CPACK_PACKAGE_CONTACT "Tavo developers <developers@tavo-saver.org>")
set(CPACK_PACKAGE_FILE_NAME "tavo_${TAVO_VERSION_TEXT}_amd64")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The text output looks for an Arial-metric face through fontconfig.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVO_WEB_ADDRESS}")
set(CPACK_GENERATOR DEB)
include(CPack)
