# Installation (GNU layout) and the Debian package made from it by `cpack -G DEB`.
include(GNUInstallDirs)

set(TACTORIA_APP_ID io.github.tactoria.tactoria)
set(TACTORIA_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS tactoria-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tactoria-cli-media)
  install(TARGETS tactoria-cli-media RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tactoria)
endif()
if(TARGET tactoria)
  install(TARGETS tactoria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TACTORIA_DATA}/${TACTORIA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TACTORIA_DATA}/${TACTORIA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon: the drawing itself, and pictures of it at the sizes desktops look for first.
  set(icon_svg ${TACTORIA_DATA}/icons/${TACTORIA_APP_ID}.svg)
  install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  find_program(TACTORIA_RSVG_CONVERT rsvg-convert)
  if(NOT TACTORIA_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) is needed to draw the icon's pictures")
  endif()
  set(icon_pngs)
  foreach(size 16 32 48 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${TACTORIA_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${TACTORIA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
      DEPENDS ${icon_svg}
      COMMENT "Drawing the ${size}x${size} icon")
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(tactoria_icons ALL DEPENDS ${icon_pngs})
endif()

# Manual pages, gzipped as Debian installs them (-n: no name or time stamp, so builds repeat).
set(man_pages tactoria-cli)
if(TARGET tactoria)
  list(APPEND man_pages tactoria)
endif()
find_program(TACTORIA_GZIP gzip REQUIRED)
set(man_gz)
foreach(page ${man_pages})
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${TACTORIA_GZIP} -9 -n -c ${TACTORIA_DATA}/man/${page}.1 > ${gz}
    DEPENDS ${TACTORIA_DATA}/man/${page}.1
    COMMENT "Compressing the manual page ${page}.1")
  list(APPEND man_gz ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(tactoria_man_pages ALL DEPENDS ${man_gz})

install(FILES ${TACTORIA_DATA}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tactoria)
# The README is the program's help (the About box opens it), with the pictures it shows.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tactoria)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tactoria/docs
  FILES_MATCHING PATTERN "*.png")

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tactoria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tactoria developers")
set(CPACK_PACKAGE_CONTACT "The Tactoria developers <tactoria@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change the length and tempo of drum loops in wave files")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/tactoria/tactoria)
set(CPACK_RESOURCE_FILE_LICENSE ${TACTORIA_DATA}/copyright)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Tactoria opens a drum loop stored as a PCM wave file, shows its format and
its tempo, changes its length by nearest-frame resampling, applies a phaser
and a reverse, and writes the result as one file, as one file per beat, with
its beats reordered or interleaved with a second loop.
.
The package holds the window program tactoria and the command-line tool
tactoria-cli. Licence: GPL-3.0-or-later.")
include(CPack)
