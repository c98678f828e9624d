# The user manual Guida.pdf in the program folder, rendered from docs/Guida.md whenever it changes.
set(MANUAL_SOURCE ${CMAKE_SOURCE_DIR}/docs/Guida.md)
set(MANUAL_PDF ${VETRINOVA_DIR}/Guida.pdf)
add_custom_command(
    OUTPUT ${MANUAL_PDF}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VETRINOVA_DIR}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:make-manual> ${MANUAL_SOURCE} ${MANUAL_PDF}
    DEPENDS make-manual ${MANUAL_SOURCE}
    COMMENT "Rendering the user manual Guida.pdf"
    VERBATIM)
add_custom_target(manual ALL DEPENDS ${MANUAL_PDF})
