# What `cmake --install` puts in place: the editor and stagetool in bin/, a
# desktop entry and the application icon where desktops look for them. The
# Debian package (`cpack -G DEB`) holds the same files. The installed editor
# still works in its current folder (Stage.Dat and Map are found there).
include(GNUInstallDirs)

# The name of the desktop entry and of the icon, and the package's name.
set(STAGE_APP_ID stage-editor)

# The icons are drawn by the art generator: the 32-pixel window icon and
# the badge drawn again at 48 and 256 pixels.
set(STAGE_ICON_SIZES 32 48 256)
set(STAGE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(STAGE_ICON_FILES "")
foreach(size ${STAGE_ICON_SIZES})
  list(APPEND STAGE_ICON_FILES ${STAGE_ICON_DIR}/${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${STAGE_ICON_FILES}
  COMMAND artgen --icons ${STAGE_ICON_DIR}
  DEPENDS artgen
  COMMENT "Drawing the desktop icons")
add_custom_target(desktop-icons ALL DEPENDS ${STAGE_ICON_FILES})

# The entry's name is the main window's title, read from the one place the
# program keeps it, so that the menu and the window cannot drift apart.
set(title_source ${CMAKE_SOURCE_DIR}/src/editor/MainForm.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${title_source})
file(STRINGS ${title_source} title_line REGEX "TitleBase = \"" ENCODING UTF-8)
string(REGEX MATCH "TitleBase = \"([^\"]+)\"" title_match "${title_line}")
if(NOT CMAKE_MATCH_1)
  message(FATAL_ERROR "No window title (TitleBase) found in ${title_source}")
endif()
set(STAGE_APP_TITLE "${CMAKE_MATCH_1}")
configure_file(cmake/stage-editor.desktop.in ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}.desktop @ONLY)

install(TARGETS stage-editor stagetool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${STAGE_ICON_SIZES})
  install(FILES ${STAGE_ICON_DIR}/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${STAGE_APP_ID}.png)
endforeach()

# The Debian package. dpkg-shlibdeps finds the libraries' packages (Qt,
# libjpeg, the C++ runtime); the fonts the editor substitutes for the
# forms' fonts, and one for the title's Chinese characters, are named here.
set(STAGE_PACKAGE_MAINTAINER "Stage Editor maintainers <maintainers@stage-editor.invalid>"
    CACHE STRING "The Maintainer of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${STAGE_APP_ID})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${STAGE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stage editor for a top-down tank battle game")
# The summary is the Description's first line; this text follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Builds and edits the 100 stages of a top-down tank battle game: a field of
40 x 30 tiles in two layers with its settings, shown as the game shows it.
Reads and writes the game's stage file Stage.Dat byte for byte and a readable
text map. Includes stagetool, the same core on the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-urw-base35, fonts-dejavu-core, fonts-terminus-otb, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The installed tree, checked after installing into a temporary prefix
# (the package is checked by scripts/package-check.sh).
add_test(NAME InstallTree
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/install-tree.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/examples)
set_tests_properties(InstallTree PROPERTIES TIMEOUT 600 LABELS install)
