# What `cmake --install` puts on a Linux system besides the three programs (their install() lines
# are next to their targets): help pages, icons, desktop entry, MIME type, man pages, systemd units
# and bash completion; and the Debian package CPack builds from exactly those files.

include(GNUInstallDirs)

set(QUORVANE_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

# Help pages, when the source tree has them (looked for at install time).
# The licence, where Debian tools and users look for it.
install(FILES ${QUORVANE_DATA_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvane/help OPTIONAL)

# Icons: the SVG, and PNGs rendered from it for desktops that want fixed sizes.
find_program(QUORVANE_RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_svg ${QUORVANE_DATA_DIR}/icons/quorvane.svg)
set(icon_pngs)
foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/quorvane.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
                       COMMAND ${QUORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
                       DEPENDS ${icon_svg} VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(quorvane_icons ALL DEPENDS ${icon_pngs})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Desktop entry and the configuration file type it opens.
install(FILES ${QUORVANE_DATA_DIR}/quorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVANE_DATA_DIR}/quorvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quorvane.xml)

install(FILES ${QUORVANE_DATA_DIR}/man/quorvane.1 ${QUORVANE_DATA_DIR}/man/quorvane-sim.1
              ${QUORVANE_DATA_DIR}/man/quorvane-dde.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# One completion file serves the three programs; bash-completion loads it by command name.
foreach(program quorvane quorvane-sim quorvane-dde)
    install(FILES ${QUORVANE_DATA_DIR}/completion/quorvane.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

# systemd units name the program by its installed path. They go under <prefix>/lib, not LIBDIR:
# systemd looks in lib/systemd even where libraries live in lib/<triplet>.
set(QUORVANE_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/quorvane)
configure_file(${QUORVANE_DATA_DIR}/systemd/user/quorvane@.service.in
               ${CMAKE_BINARY_DIR}/systemd/user/quorvane@.service @ONLY)
configure_file(${QUORVANE_DATA_DIR}/systemd/system/quorvane@.service.in
               ${CMAKE_BINARY_DIR}/systemd/system/quorvane@.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/systemd/user/quorvane@.service DESTINATION lib/systemd/user)
install(FILES ${CMAKE_BINARY_DIR}/systemd/system/quorvane@.service DESTINATION lib/systemd/system)

# Access to the kernel's virtual keyboard for the user at the seat. udev reads rules from
# <prefix>/lib/udev/rules.d; the number puts it before the seat rules that act on uaccess.
install(FILES ${QUORVANE_DATA_DIR}/udev/70-quorvane-uinput.rules DESTINATION lib/udev/rules.d)

# Everything the rules above install, for building just that (scripts/build-deb).
add_custom_target(quorvane_installed)
add_dependencies(quorvane_installed quorvane quorvane-sim quorvane-dde quorvane_icons)

# Debian package: `cpack -G DEB` in a release build configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/build-deb). The package holds what the rules above install and nothing else.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial instrument data capture")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane captures data from serial instruments (balances, calipers, meters, barcode scanners, "
    "analyzers): it cuts the device's byte stream into records and fields, processes them, and "
    "types them into another program, publishes them on the session bus or appends them to a log "
    "file. It runs with a window on the desktop or without one as a systemd service.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its Wayland platform plugin at run time, so no library dependency names it: without it
# the windows need X even on a Wayland desktop. The system's keyboard layouts and the compose
# tables of dead keys are data files that libxkbcommon reads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, xkb-data, libx11-data")
# The desktop and icon caches are refreshed by these packages' dpkg triggers.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, dbus-user-session")
include(CPack)
