# Fails when a source file includes one from a higher room. From the bottom:
#   0 storage   1 rules (*/rules, report/engine)   2 widgets
#   3 feature windows (app, warehouse, pricelist, report)   4 shell
# A room may use its own level and any below it. Run as: cmake -DSOURCE_DIR=<root> -P include_layers.cmake

function(room_of path out)
    if(path MATCHES "^storage/")
        set(level 0)
    elseif(path MATCHES "^(app|warehouse|pricelist)/rules/" OR path MATCHES "^report/engine/")
        set(level 1)
    elseif(path MATCHES "^widgets/")
        set(level 2)
    elseif(path MATCHES "^(app|warehouse|pricelist|report)/")
        set(level 3)
    elseif(path MATCHES "^shell/")
        set(level 4)
    else()
        set(level -1)
    endif()
    set(${out} ${level} PARENT_SCOPE)
endfunction()

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/storage/*.h ${SOURCE_DIR}/storage/*.cpp
    ${SOURCE_DIR}/widgets/*.h ${SOURCE_DIR}/widgets/*.cpp
    ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
    ${SOURCE_DIR}/warehouse/*.h ${SOURCE_DIR}/warehouse/*.cpp
    ${SOURCE_DIR}/pricelist/*.h ${SOURCE_DIR}/pricelist/*.cpp
    ${SOURCE_DIR}/report/*.h ${SOURCE_DIR}/report/*.cpp
    ${SOURCE_DIR}/shell/*.h ${SOURCE_DIR}/shell/*.cpp)

set(upward "")
foreach(src ${sources})
    room_of(${src} own)
    file(STRINGS ${SOURCE_DIR}/${src} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
        room_of(${target} used)
        if(used GREATER own)
            list(APPEND upward "${src} includes ${target}")
        endif()
    endforeach()
endforeach()

if(upward)
    list(JOIN upward "\n  " text)
    message(FATAL_ERROR "Includes that run upward:\n  ${text}")
endif()
list(LENGTH sources n)
message(STATUS "${n} files, no include runs upward")
