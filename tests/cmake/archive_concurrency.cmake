# Two copies of the program appending to one warehouse at once: a small helper process started twice.
add_executable(warehouse_appender ${CMAKE_CURRENT_SOURCE_DIR}/concurrency/appender.cpp)
target_link_libraries(warehouse_appender PRIVATE vetrinova_core)
add_dependencies(tst_archiveconcurrency warehouse_appender)
target_compile_definitions(tst_archiveconcurrency PRIVATE APPENDER_PATH="$<TARGET_FILE:warehouse_appender>")

# A copy of the program that holds an archive's lock until told to let go.
add_executable(archive_lockholder ${CMAKE_CURRENT_SOURCE_DIR}/concurrency/lockholder.cpp)
target_link_libraries(archive_lockholder PRIVATE vetrinova_core)
foreach(test tst_archiveconcurrency tst_archivebusy)
    add_dependencies(${test} archive_lockholder)
    target_compile_definitions(${test} PRIVATE LOCKHOLDER_PATH="$<TARGET_FILE:archive_lockholder>")
endforeach()
