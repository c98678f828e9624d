# Fails when program code outside storage/platform includes a system header the platform module
# is there to hide, or calls a system function on one of its file handles (a HANDLE on Windows,
# which only the module may hand to the system). Run as: cmake -DSOURCE_DIR=<root> -P system_headers.cmake
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/storage/*.h ${SOURCE_DIR}/storage/*.cpp
    ${SOURCE_DIR}/widgets/*.h ${SOURCE_DIR}/widgets/*.cpp
    ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
    ${SOURCE_DIR}/warehouse/*.h ${SOURCE_DIR}/warehouse/*.cpp
    ${SOURCE_DIR}/pricelist/*.h ${SOURCE_DIR}/pricelist/*.cpp
    ${SOURCE_DIR}/report/*.h ${SOURCE_DIR}/report/*.cpp
    ${SOURCE_DIR}/shell/*.h ${SOURCE_DIR}/shell/*.cpp
    ${SOURCE_DIR}/scripts/tools/*.cpp)
cmake_policy(SET CMP0007 NEW)
list(FILTER sources EXCLUDE REGEX "^storage/platform/")
set(found "")
foreach(src ${sources})
    file(STRINGS ${SOURCE_DIR}/${src} lines
        REGEX "^[ \t]*#[ \t]*include[ \t]*<(unistd|fcntl|dirent|windows|io|sys/[a-z]+)\\.h>")
    foreach(line ${lines})
        list(APPEND found "${src}: ${line}")
    endforeach()
    file(STRINGS ${SOURCE_DIR}/${src} calls
        REGEX "(^|[^A-Za-z0-9_.>])(ftruncate|flock|fcntl|fsync|fdatasync|pread|pwrite|lseek|LockFileEx|UnlockFileEx|SetEndOfFile|SetFileInformationByHandle|_chsize_s)[ \t]*\\(")
    foreach(line ${calls})
        list(APPEND found "${src}: ${line}")
    endforeach()
endforeach()
if(found)
    list(JOIN found "\n  " text)
    message(FATAL_ERROR "System headers or system file calls outside storage/platform:\n  ${text}")
endif()
message(STATUS "No system header or system file call outside storage/platform")
