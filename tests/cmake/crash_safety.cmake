# Killing the program while it writes: a helper that writes the program's files in a loop.
add_executable(crash_writer ${CMAKE_CURRENT_SOURCE_DIR}/crash/crash_writer.cpp)
target_link_libraries(crash_writer PRIVATE vetrinova_ui)
add_dependencies(tst_crashsafety crash_writer)
target_compile_definitions(tst_crashsafety PRIVATE CRASH_WRITER_PATH="$<TARGET_FILE:crash_writer>")
