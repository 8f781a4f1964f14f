# Installation (GNUInstallDirs) and the Debian package (cpack -G DEB, or scripts/package).
# Installed, the programs find their resources in <prefix>/share/kestrava, one folder up from
# <prefix>/bin, as they find them in resources/ beside them in the build tree.
include(GNUInstallDirs)

set(ZARN_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(ZARN_DATA ${CMAKE_INSTALL_DATADIR}/kestrava)
set(ZARN_DOCS ${CMAKE_INSTALL_DATADIR}/doc/kestrava)

install(TARGETS ZARNTollgate ZARNShelver zarnserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Kestrava_Logo.jpg
              ${PROJECT_SOURCE_DIR}/resources/tollgate-splash.png
        DESTINATION ${ZARN_DATA})
install(FILES ${PROJECT_SOURCE_DIR}/resources/doc/tollgate.html DESTINATION ${ZARN_DATA}/doc)
install(FILES ${PROJECT_SOURCE_DIR}/resources/sounds/accepted.wav
              ${PROJECT_SOURCE_DIR}/resources/sounds/refused.wav
        DESTINATION ${ZARN_DATA}/sounds)

foreach(program ZARNTollgate ZARNShelver)
    set(id com.quillfen.${program})
    install(FILES ${ZARN_PACKAGING}/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${ZARN_PACKAGING}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${ZARN_PACKAGING}/icons/${id}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 48 64 128 256)
        install(FILES ${ZARN_PACKAGING}/icons/${size}/${id}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    # The system-wide configuration folder the programs read after the user's own (/etc/xdg
    # for the /usr prefix of the package).
    install(FILES ${ZARN_PACKAGING}/${program}.cfg
            DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/Quillfen)
endforeach()
# The machine-wide settings: the update check off, as the package manager updates the station.
install(FILES ${ZARN_PACKAGING}/Quillfen.conf DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg)

# Manual pages and the changelog compressed as Debian wants them.
set(ZARN_COMPRESSED)
foreach(page ZARNTollgate.1 ZARNShelver.1 zarnserver.1)
    list(APPEND ZARN_COMPRESSED ${ZARN_PACKAGING}/man/${page})
endforeach()
list(APPEND ZARN_COMPRESSED ${ZARN_PACKAGING}/changelog)
foreach(source ${ZARN_COMPRESSED})
    get_filename_component(name ${source} NAME)
    set(compressed ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                       COMMAND gzip -9n -c ${source} > ${compressed}
                       DEPENDS ${source} VERBATIM)
    list(APPEND ZARN_COMPRESSED_OUTPUTS ${compressed})
endforeach()
add_custom_target(zarn_compressed_docs ALL DEPENDS ${ZARN_COMPRESSED_OUTPUTS})
foreach(page ZARNTollgate.1 ZARNShelver.1 zarnserver.1)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The user guide whole: the pages it refers to and the pictures it shows.
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${ZARN_PACKAGING}/copyright
              ${PROJECT_SOURCE_DIR}/docs/user-guide.md ${PROJECT_SOURCE_DIR}/docs/barcodes.md
              ${PROJECT_SOURCE_DIR}/docs/replay.md
        DESTINATION ${ZARN_DOCS})
file(GLOB ZARN_GUIDE_PICTURES ${PROJECT_SOURCE_DIR}/docs/images/*.png)
install(FILES ${ZARN_GUIDE_PICTURES} DESTINATION ${ZARN_DOCS}/images)

set(CPACK_PACKAGE_NAME kestrava)
set(CPACK_PACKAGE_VENDOR Quillfen)
set(CPACK_PACKAGE_CONTACT "Quillfen <stations@kestrava.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stations of a tape media service: scanning and shelving")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZARNTollgate builds the tree of tape volumes due to move, scans their\n\
bar codes, speaks every answer and writes the moves to the central\n\
server; ZARNShelver records where volumes are shelved; zarnserver\n\
creates and looks after the store they share (an embedded SQLite file,\n\
or PostgreSQL for many stations).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The debug symbols in a package of their own (kestrava-dbgsym), found by build id under
# /usr/lib/debug/.build-id: crash reports name each frame by module, offset and build id.
# CPack strips the programs itself as it takes their symbols out.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrava.example.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries: the SQL driver of the embedded store, the windowing plugins and the
# voice's data. Recommended: what a station works with (the PostgreSQL driver of a shared
# server, the fonts of printed pages, the speech-dispatcher voice). Suggested: what opens an
# exported file and a sound server, which a desktop brings along anyway.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, espeak-ng-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libqt6sql6-psql, fonts-liberation, qt6-speech-speechd-plugin")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pdf-viewer, xdg-utils, pipewire-pulse | pulseaudio")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${ZARN_PACKAGING}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
