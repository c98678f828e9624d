# Two copies of the program appending to one warehouse at once: a small helper process started twice.
add_executable(warehouse_appender ${CMAKE_CURRENT_SOURCE_DIR}/concurrency/appender.cpp)
target_link_libraries(warehouse_appender PRIVATE vetrinova_core)
add_dependencies(tst_archiveconcurrency warehouse_appender)
target_compile_definitions(tst_archiveconcurrency PRIVATE APPENDER_PATH="$<TARGET_FILE:warehouse_appender>")
