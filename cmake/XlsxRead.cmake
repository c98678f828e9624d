# Importing .xlsx workbooks reads them as ZIP (libzip) plus XML (Qt). QuaZip would do the same, but it
# exports its own copy of minizip's functions, which then replace those libxlsxwriter calls through
# libminizip and break the export to Magazzino.xlsx; libzip's names clash with nothing. Without libzip
# the import reads text files and Magazzino.xls only.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(LIBZIP IMPORTED_TARGET libzip)
endif()
if(LIBZIP_FOUND)
    target_link_libraries(vetrinova_core PUBLIC PkgConfig::LIBZIP)
    target_compile_definitions(vetrinova_core PUBLIC VETRINOVA_XLSX_READ=1)
else()
    message(STATUS "libzip not found (package libzip-dev): importing .xlsx workbooks is left out")
endif()
