# Installing Morvane as a desktop program, and its Debian package.
#
# cmake --install puts the programs in bin, the desktop entry, the icon in the hicolor theme, the
# AppStream metainfo and, with the batch converter, its manual page. CPack makes the Debian package
# from the same rules: cmake --build --preset release --target package.
include(GNUInstallDirs)

# One name for the desktop entry, the metainfo component and the icon.
set(MORVANE_APP_ID "io.github.morvane.Morvane")
set(MORVANE_HOMEPAGE "https://morvane.example.org/")
set(morvane_data "${PROJECT_SOURCE_DIR}/data")

# The programs, which find Qt where the system keeps it: no run path. `morvane` is the name to type
# in a terminal.
set_target_properties(Morvane PROPERTIES INSTALL_RPATH "")
install(TARGETS Morvane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/install")
file(CREATE_LINK Morvane "${PROJECT_BINARY_DIR}/install/morvane" SYMBOLIC)
install(FILES "${PROJECT_BINARY_DIR}/install/morvane" DESTINATION "${CMAKE_INSTALL_BINDIR}")
set(MORVANE_METAINFO_BINARIES "    <binary>Morvane</binary>\n    <binary>morvane</binary>")

if(TARGET morvane-convert)
    set_target_properties(morvane-convert PROPERTIES INSTALL_RPATH "")
    install(TARGETS morvane-convert RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    string(APPEND MORVANE_METAINFO_BINARIES "\n    <binary>morvane-convert</binary>")

    # Debian's manual pages are gzip-compressed, without a name or time in the header.
    find_program(MORVANE_GZIP gzip REQUIRED)
    set(man "${PROJECT_BINARY_DIR}/install/man/morvane-convert.1")
    configure_file("${morvane_data}/morvane-convert.1.in" "${man}.in" @ONLY)
    add_custom_command(OUTPUT "${man}.gz"
        COMMAND "${CMAKE_COMMAND}" -E copy "${man}.in" "${man}"
        COMMAND "${MORVANE_GZIP}" -9 -n -f "${man}"
        DEPENDS "${man}.in"
        COMMENT "Compressing the manual page of morvane-convert"
        VERBATIM)
    add_custom_target(morvane_manpages ALL DEPENDS "${man}.gz")
    install(FILES "${man}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

# The menu entry, the metainfo and the icon. The 24 × 24 picture is the one drawn for that size, the
# others are renditions of the same emblem (tools/artwork).
install(FILES "${morvane_data}/${MORVANE_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
configure_file("${morvane_data}/${MORVANE_APP_ID}.metainfo.xml.in"
    "${PROJECT_BINARY_DIR}/install/${MORVANE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/install/${MORVANE_APP_ID}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

set(icons "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${PROJECT_SOURCE_DIR}/resources/Morvane.png"
    DESTINATION "${icons}/24x24/apps" RENAME "${MORVANE_APP_ID}.png")
foreach(size 48 128)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/morvane-${size}.png"
        DESTINATION "${icons}/${size}x${size}/apps" RENAME "${MORVANE_APP_ID}.png")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/morvane.svg"
    DESTINATION "${icons}/scalable/apps" RENAME "${MORVANE_APP_ID}.svg")

# The Debian package. dpkg-shlibdeps (dpkg-dev) names the libraries the programs link; the font is
# the one that draws the window's Chinese text and the tone letters. Qt's X11 platform plugin is in
# libqt6gui6 itself on Debian 12.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "morvane")
set(CPACK_PACKAGE_VENDOR "The Morvane developers")
set(CPACK_PACKAGE_CONTACT "Morvane maintainers <maintainers@morvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chinese to Pinyin converter (墨韵通)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Morvane converts Chinese text to Hanyu Pinyin with tone marks. Paste text into\n"
    "its window, press 转换 (Convert), and every character of its dictionary of\n"
    "20,945 simplified and traditional characters is replaced by its reading, in one\n"
    "of three styles. Everything else passes through untouched.")
if(TARGET morvane-convert)
    string(APPEND CPACK_PACKAGE_DESCRIPTION
        "\n.\nThe package also holds morvane-convert, which converts files and pipes the same way.")
endif()
set(CPACK_PACKAGE_HOMEPAGE_URL "${MORVANE_HOMEPAGE}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-frontend-qt6 | ibus, fcitx5-chinese-addons | ibus-libpinyin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SOURCE_GENERATOR "TXZ")
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/out/")
include(CPack)
