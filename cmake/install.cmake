# Installing like any Linux desktop program: the program, its .desktop entry,
# its icon in the hicolor theme, AppStream metadata, its manual page, its
# copyright and changelog; and a .deb through CPack that Debian's lintian
# accepts.
include(GNUInstallDirs)

# The icon as PNGs, drawn by the same code that draws the window icon.
add_executable(mochitama-render-icon tools/render_icon.cpp)
target_link_libraries(mochitama-render-icon PRIVATE mochitama_icon mochitama_warnings)
set(MOCHITAMA_ICON_PNGS)
foreach(size 32 48)
  set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${MOCHITAMA_APP_ID}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:mochitama-render-icon> ${size} ${png}
    DEPENDS mochitama-render-icon
    COMMENT "Drawing the ${size} × ${size} icon")
  list(APPEND MOCHITAMA_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(mochitama-icons ALL DEPENDS ${MOCHITAMA_ICON_PNGS})

# The system's Qt is found through the system's library path; an installed
# program (and a Debian package above all) carries no search path of its own.
set_target_properties(mochitama PROPERTIES INSTALL_RPATH "")
install(TARGETS mochitama RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${MOCHITAMA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${MOCHITAMA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/${MOCHITAMA_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the changelog compressed as Debian wants them: at the
# highest level, and without a name or time stamp that would change the
# package from one build to the next.
find_program(MOCHITAMA_GZIP gzip REQUIRED)
set(MOCHITAMA_GZIPPED)
foreach(pair "mochitama.6;mochitama.6.gz" "debian/changelog;changelog.gz")
  list(GET pair 0 source)
  list(GET pair 1 gzipped)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${gzipped}
    COMMAND ${MOCHITAMA_GZIP} -9nc ${PROJECT_SOURCE_DIR}/data/${source} > ${PROJECT_BINARY_DIR}/${gzipped}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/${source}
    COMMENT "Compressing ${gzipped}"
    VERBATIM)
  list(APPEND MOCHITAMA_GZIPPED ${PROJECT_BINARY_DIR}/${gzipped})
endforeach()
add_custom_target(mochitama-docs ALL DEPENDS ${MOCHITAMA_GZIPPED})
install(FILES ${PROJECT_BINARY_DIR}/mochitama.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES data/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mochitama)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Mochitama Workshop <mochitama@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese joke game you win by managing to quit it")
set(CPACK_PACKAGE_DESCRIPTION [=[
Mochitama is a small Japanese joke game for the desktop. Its aim is
simple: quit the program. The close box is refused with jokes, the menus
only turn up after you have tried to close the window again and again,
and the Exit button will not make it easy for you.

A player who gives up can surrender and gets a hint. A hidden time-attack
mode keeps the best time. The texts are in Japanese.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Debian keeps games in /usr/games; an install from the sources keeps bin/.
# The game still knows itself as installed: /usr/games/../share/metainfo.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_games_dir.cmake)
# The texts are drawn in the IPA faces; any Japanese gothic font will do.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
# Desktops without an X server: Qt's Wayland platform.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
