# Installing the game like any other (cmake --install build --prefix P) and its Debian package
# (cpack, run by scripts/package.sh): the program, char.bmp, the desktop entry, the AppStream
# metadata, the icon at the theme's sizes, the manual page, the README and the licence.
include(GNUInstallDirs)

# The project has no address of its own yet: the metadata's home page and screenshots, and the
# component id (the home page's host reversed), are placeholders until it has one.
set(DIRAVIRU_HOMEPAGE "https://diraviru.example.org/" CACHE STRING
    "The game's home page; the metadata's screenshots lie below it")
set(DIRAVIRU_APP_ID "org.example.diraviru" CACHE STRING "The AppStream component id")
set(DIRAVIRU_MAINTAINER "The DIRAVIRU developers <diraviru@example.org>" CACHE STRING
    "The Debian package's maintainer")

# The icon in the theme's sizes, each a whole multiple of the 16-cell drawing, made at build
# time from the same drawing as the window's icon.
find_package(PNG REQUIRED)
add_executable(make_icon_png ${PROJECT_SOURCE_DIR}/tools/make_icon_png.cpp)
target_link_libraries(make_icon_png PRIVATE diraviru_platform PNG::PNG)
set(diraviru_icon_sizes 16 32 48 64 128 256)
set(icon_files)
foreach(size IN LISTS diraviru_icon_sizes)
  set(folder ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps)
  add_custom_command(OUTPUT ${folder}/diraviru.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND make_icon_png ${size} ${folder}/diraviru.png
    DEPENDS make_icon_png
    COMMENT "Drawing the ${size} x ${size} icon" VERBATIM)
  list(APPEND icon_files ${folder}/diraviru.png)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_files})

configure_file(${PROJECT_SOURCE_DIR}/dist/diraviru.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${DIRAVIRU_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/dist/diraviru.6.in ${CMAKE_BINARY_DIR}/dist/diraviru.6 @ONLY)

install(TARGETS diraviru RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/char.bmp DESTINATION ${CMAKE_INSTALL_DATADIR}/diraviru)
install(FILES ${PROJECT_SOURCE_DIR}/dist/diraviru.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${DIRAVIRU_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${CMAKE_BINARY_DIR}/dist/diraviru.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package, from the same install under /usr. Its dependencies come from the
# program's own links (dpkg-shlibdeps); cmake/debian_layout.cmake makes it what Debian asks of
# a game's package (the program in /usr/games, the documentation) before the package is made.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME diraviru)
set(CPACK_PACKAGE_VENDOR "The DIRAVIRU developers")
set(CPACK_PACKAGE_CONTACT "${DIRAVIRU_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game of trails for up to four players at one keyboard")
set(CPACK_PACKAGE_DESCRIPTION [[
Every player steers a head that leaves a one-pixel trail across a walled
field and can only turn 30 degrees at a time. Whoever runs into anything that
is not empty floor crashes; the last one left earns a bonus. Item boxes,
explosions and meteorite showers change the field, and a score table runs
between rounds. Any player can be a person or the computer; game controllers
and network play are supported, and every match is recorded.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DIRAVIRU_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian_layout.cmake)
set(CPACK_DIRAVIRU_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DIRAVIRU_DOCDIR ${CMAKE_INSTALL_DOCDIR})
set(CPACK_DIRAVIRU_BINDIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_DIRAVIRU_MANDIR ${CMAKE_INSTALL_MANDIR})
include(CPack)
