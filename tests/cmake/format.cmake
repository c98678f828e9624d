# The source tree as .clang-format says, and a proof that the check refuses a file that is not.
add_test(NAME format_check
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/format_check.cmake)
add_test(NAME format_check_catches_unformatted
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DFILES=${CMAKE_CURRENT_SOURCE_DIR}/fixtures/format/Unformatted.cpp
        -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/format_check.cmake)
set_tests_properties(format_check format_check_catches_unformatted PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED:")
set_tests_properties(format_check_catches_unformatted PROPERTIES WILL_FAIL TRUE)
