# The safety-copy test builds hostile archives itself and races a second copy of the program.
target_link_libraries(tst_safetycopy PRIVATE PkgConfig::LIBZIP)
add_dependencies(tst_safetycopy warehouse_appender)
target_compile_definitions(tst_safetycopy PRIVATE APPENDER_PATH="$<TARGET_FILE:warehouse_appender>")
