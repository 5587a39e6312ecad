# Install layout for a Linux desktop and the Debian package built from it.
include(GNUInstallDirs)

# The desktop files are configured from templates in app/desktop (app/CMakeLists.txt).
set(SI_DESKTOP_DIR ${PROJECT_BINARY_DIR}/app)
set(SI_ICON_DIR ${PROJECT_SOURCE_DIR}/app/icons/hicolor)

si_require_files(
    ${SI_DESKTOP_DIR}/${SI_APP_ID}.desktop
    ${SI_DESKTOP_DIR}/${SI_APP_ID}.metainfo.xml
    ${SI_ICON_DIR}/16x16/apps/student-information.png
    ${SI_ICON_DIR}/32x32/apps/student-information.png
    ${SI_ICON_DIR}/64x64/apps/student-information.png)

install(TARGETS student-information RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${SI_DESKTOP_DIR}/${SI_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SI_DESKTOP_DIR}/${SI_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Themes look icons up by the desktop entry's Icon key, so the files take the id's name.
foreach(size 16x16 32x32 64x64)
    install(FILES ${SI_ICON_DIR}/${size}/apps/student-information.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
        RENAME ${SI_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME student-information)
set(CPACK_PACKAGE_VENDOR "${SI_ORGANISATION}")
set(CPACK_PACKAGE_CONTACT "${SI_AUTHOR} <maintainers@users.noreply.c-seed-5f4c6e20.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep a list of students and print their reports")
set(CPACK_PACKAGE_DESCRIPTION "${SI_TITLE} keeps a list of students while it runs: name, units
completed, major, school, grade level and dean's list. It prints a report
for one student and the list of schools. Nothing is saved to disk.")
# The fourth part of the project version is Windows resource style; packages use three.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
# Source tarballs leave out git data and build trees.
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/([.]git|build[^/]*|out)/")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland plugin: without it the program runs through XWayland on a Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
