# The desktop files in the program folder (icons, menu entry, its script) and `make package`: a
# tar.gz holding the program folder, ready to unpack where the user wants it.
set(ICON_SOURCE ${CMAKE_SOURCE_DIR}/resources/art/vetrinova.svg)
set(ICON_DIR ${VETRINOVA_DIR}/icone)
add_custom_command(
    OUTPUT ${ICON_DIR}/hicolor/256x256/apps/vetrinova.png
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:make-icons> ${ICON_SOURCE} ${ICON_DIR}
    DEPENDS make-icons ${ICON_SOURCE}
    COMMENT "Rendering the application icon"
    VERBATIM)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/it.vetrinova.Vetrinova.metainfo.xml
    ${ICON_DIR}/it.vetrinova.Vetrinova.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/vetrinova.desktop ${ICON_DIR}/vetrinova.desktop COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/aggiungi-al-menu.sh ${VETRINOVA_DIR}/aggiungi-al-menu.sh COPYONLY)
add_custom_target(desktop_files ALL DEPENDS ${ICON_DIR}/hicolor/256x256/apps/vetrinova.png)

# The package ships the first-access password, never the store of whoever built it.
set(PACKAGE_STORE ${CMAKE_BINARY_DIR}/package/unins000.dll)
add_custom_command(
    OUTPUT ${PACKAGE_STORE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_COMMAND} -E rm -f ${PACKAGE_STORE}
    COMMAND make-password-store ${PACKAGE_STORE}
    DEPENDS make-password-store
    COMMENT "Writing the first-access password store for the package"
    VERBATIM)
add_custom_target(package_store ALL DEPENDS ${PACKAGE_STORE})

# Only what the program ships with: archives, photos and lists made while trying the build stay out.
install(TARGETS Vetrinova RUNTIME DESTINATION Vetrinova)
install(TARGETS vetrinova-camera LIBRARY DESTINATION Vetrinova)
install(FILES ${VETRINOVA_DIR}/Guida.pdf ${PACKAGE_STORE} DESTINATION Vetrinova)
install(PROGRAMS ${VETRINOVA_DIR}/aggiungi-al-menu.sh DESTINATION Vetrinova)
install(DIRECTORY ${ICON_DIR} DESTINATION Vetrinova)

# `make package` builds first; cpack alone (the package test) then only copies, never rebuilds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Vetrinova)
set(CPACK_PACKAGE_VENDOR Vetrinova)
set(CPACK_PACKAGE_FILE_NAME "Vetrinova-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
