# Killing an import or a restore at every step: a helper runs the real change and kills itself at step N.
add_executable(journal_worker ${CMAKE_CURRENT_SOURCE_DIR}/crash/journal_worker.cpp)
target_link_libraries(journal_worker PRIVATE vetrinova_core)
add_dependencies(tst_journal journal_worker)
target_compile_definitions(tst_journal PRIVATE JOURNAL_WORKER_PATH="$<TARGET_FILE:journal_worker>")
