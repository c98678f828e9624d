# No source file includes one from a higher room (storage, rules, widgets, feature windows, shell).
add_test(NAME include_layers
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/include_layers.cmake)
# The check itself catches a widget that reaches up into the shell.
add_test(NAME include_layers_catches_upward
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/fixtures/layers
        -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/include_layers.cmake)
set_tests_properties(include_layers_catches_upward PROPERTIES WILL_FAIL TRUE)
