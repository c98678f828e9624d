# Barcodes on labels are made by libzint (package libzint-dev), which ships neither a pkg-config file
# nor a CMake package of its own.
find_path(ZINT_INCLUDE_DIR zint.h REQUIRED)
find_library(ZINT_LIBRARY NAMES zint REQUIRED)
target_include_directories(vetrinova_core PRIVATE ${ZINT_INCLUDE_DIR})
target_link_libraries(vetrinova_core PRIVATE ${ZINT_LIBRARY})
