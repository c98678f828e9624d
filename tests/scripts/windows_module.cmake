# Compiles the Windows system module with MinGW-w64, alone (no Qt for Windows exists here), and
# links it with a caller of every function, so a missing definition or library shows too.
# Run as: cmake -DSOURCE_DIR=<root> -DWORK_DIR=<scratch> -P windows_module.cmake
find_program(MINGW x86_64-w64-mingw32-g++-posix NAMES x86_64-w64-mingw32-g++)
if(NOT MINGW)
    message("SKIPPED: x86_64-w64-mingw32-g++ is not installed (package g++-mingw-w64-x86-64: scripts/install-deps)")
    return()
endif()
file(MAKE_DIRECTORY ${WORK_DIR})
set(flags -std=c++20 -Wall -Wextra -Werror -I${SOURCE_DIR})
execute_process(
    COMMAND ${MINGW} ${flags} -c ${SOURCE_DIR}/storage/platform/windows/Os.cpp -o ${WORK_DIR}/Os.o
    RESULT_VARIABLE rc)
if(rc EQUAL 0)
    execute_process(
        COMMAND ${MINGW} ${flags} -c ${SOURCE_DIR}/storage/platform/Faults.cpp -o ${WORK_DIR}/Faults.o
        RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "The Windows module does not compile")
endif()
execute_process(
    COMMAND ${MINGW} ${flags} ${SOURCE_DIR}/tests/helpers/os_every_call.cpp ${WORK_DIR}/Os.o ${WORK_DIR}/Faults.o -static -lshell32
        -o ${WORK_DIR}/os_every_call.exe
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "The Windows module does not link")
endif()
message(STATUS "The Windows module compiles and links")
