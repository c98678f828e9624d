# The program-folder test runs a small probe, copied into a folder of its own, from elsewhere.
add_executable(programfolder_probe ${CMAKE_CURRENT_SOURCE_DIR}/helpers/programfolder_probe.cpp)
target_link_libraries(programfolder_probe PRIVATE vetrinova_core)
add_dependencies(tst_programfolder programfolder_probe)
target_compile_definitions(tst_programfolder PRIVATE PROBE_PATH="$<TARGET_FILE:programfolder_probe>")
# ... and checks the build step that ships the password store.
add_dependencies(tst_programfolder make-password-store)
target_compile_definitions(tst_programfolder PRIVATE STORE_TOOL_PATH="$<TARGET_FILE:make-password-store>")
