# What `cmake --install` puts in place: the editor and stagetool in bin/, a
# desktop entry and the application icon where desktops look for them. The
# Debian package (`cpack -G DEB`) holds the same files, with the MIME type of
# the stage file, the manual pages, the copyright file and the changelog.
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

# The entry is named by the program's title (STAGE_APP_TITLE, with the English
# STAGE_APP_NAME for other languages) and opens the stage file: the MIME type
# below knows it by its name.
set(STAGE_MIME_TYPE application/x-tank-stage)
configure_file(cmake/stage-editor.desktop.in ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}.desktop @ONLY)
configure_file(cmake/stage-editor-mime.xml.in ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}-mime.xml @ONLY)

# Manual pages and the changelog go compressed, without a time stamp (-n), so
# the package is the same whenever it is built.
set(STAGE_DOC_DIR ${CMAKE_BINARY_DIR}/doc)
set(STAGE_MAN_PAGES stage-editor stagetool)
set(STAGE_COMPRESSED_DOCS "")
foreach(doc changelog ${STAGE_MAN_PAGES})
  set(source ${doc})
  if(doc IN_LIST STAGE_MAN_PAGES)
    set(source ${doc}.1)
  endif()
  add_custom_command(
    OUTPUT ${STAGE_DOC_DIR}/${source}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DOC_DIR}
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/doc/${source} ${STAGE_DOC_DIR}/${source}.gz
    DEPENDS doc/${source}
    VERBATIM)
  list(APPEND STAGE_COMPRESSED_DOCS ${STAGE_DOC_DIR}/${source}.gz)
endforeach()
add_custom_target(compressed-docs ALL DEPENDS ${STAGE_COMPRESSED_DOCS})

install(TARGETS stage-editor stagetool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${STAGE_APP_ID}-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${STAGE_APP_ID}.xml)
foreach(page ${STAGE_MAN_PAGES})
  install(FILES ${STAGE_DOC_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES doc/copyright ${STAGE_DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${STAGE_APP_ID})
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
# A tool for making a game, not a game: "devel", where lintian expects it.
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
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
