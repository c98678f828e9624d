# `make screenshots`: a small sample shop (written by the grabber into an empty folder) and a
# picture of every window, into build/screenshots/ (a 1280 x 1024 screen) and build/screenshots/1024x768/.
# Not part of the tests: nothing here runs in `make test`.
add_executable(grab-screens EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/screens/grab-screens.cpp)
target_link_libraries(grab-screens PRIVATE vetrinova_ui)
set(SCREENS_DATA ${CMAKE_BINARY_DIR}/screenshots-data)
add_custom_target(screenshots
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${SCREENS_DATA} ${CMAKE_BINARY_DIR}/screenshots
    COMMAND ${CMAKE_COMMAND} -E env ${TEST_ENV} $<TARGET_FILE:grab-screens> ${SCREENS_DATA}
            ${CMAKE_BINARY_DIR}/screenshots
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${SCREENS_DATA}
    COMMAND ${CMAKE_COMMAND} -E env ${TEST_ENV}
            QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/screens/offscreen-1024x768.json
            $<TARGET_FILE:grab-screens> ${SCREENS_DATA} ${CMAKE_BINARY_DIR}/screenshots/1024x768
    DEPENDS grab-screens
    COMMENT "Grabbing every window into ${CMAKE_BINARY_DIR}/screenshots"
    VERBATIM)
