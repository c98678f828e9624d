# The system module: the Windows one through a cross compiler (skipped, saying why, where there is
# none), and no system header anywhere else.
add_test(NAME windows_module
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/windows_module
        -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/windows_module.cmake)
set_tests_properties(windows_module PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED:" TIMEOUT 120)

add_test(NAME system_headers
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/system_headers.cmake)
