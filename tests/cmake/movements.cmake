# Killing the program during a stock movement: a helper records one the editor's way and kills itself.
add_executable(movement_worker ${CMAKE_CURRENT_SOURCE_DIR}/crash/movement_worker.cpp)
target_link_libraries(movement_worker PRIVATE vetrinova_core)
add_dependencies(tst_movements movement_worker)
target_compile_definitions(tst_movements PRIVATE MOVEMENT_WORKER_PATH="$<TARGET_FILE:movement_worker>")
