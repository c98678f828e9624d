# Fails when a source file does not match the .clang-format at the root, with the one clang-format
# version install-deps pins (another version formats some constructs differently).
# Run as: cmake -DSOURCE_DIR=<root> -P format_check.cmake, or with -DFILES=<list> for those files only.
find_program(CLANG_FORMAT clang-format-14)
if(NOT CLANG_FORMAT)
    message("SKIPPED: clang-format-14 is not installed (scripts/install-deps installs it)")
    return()
endif()
if(FILES)
    set(sources ${FILES})
else()
file(GLOB_RECURSE sources
    ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h
    ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h
    ${SOURCE_DIR}/pricelist/*.cpp ${SOURCE_DIR}/pricelist/*.h
    ${SOURCE_DIR}/report/*.cpp ${SOURCE_DIR}/report/*.h
    ${SOURCE_DIR}/scripts/tools/*.cpp
    ${SOURCE_DIR}/shell/*.cpp ${SOURCE_DIR}/shell/*.h
    ${SOURCE_DIR}/storage/*.cpp ${SOURCE_DIR}/storage/*.h
    ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
    ${SOURCE_DIR}/warehouse/*.cpp ${SOURCE_DIR}/warehouse/*.h
    ${SOURCE_DIR}/widgets/*.cpp ${SOURCE_DIR}/widgets/*.h)
# The layer fixtures are deliberately wrong code; they are read, never built.
list(FILTER sources EXCLUDE REGEX "/tests/fixtures/")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
    RESULT_VARIABLE result ERROR_VARIABLE complaints)
if(NOT result EQUAL 0)
    string(REGEX MATCHALL "[^\n]*: error: [^\n]*" lines "${complaints}")
    list(JOIN lines "\n  " text)
    message(FATAL_ERROR "Not formatted as .clang-format says (run clang-format-14 -i on them):\n  ${text}")
endif()
