# Magazzino.xlsx, the typed workbook beside Magazzino.xls, needs libxlsxwriter; without it the
# export writes Magazzino.xls alone and everything else builds as before.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
endif()
if(XLSXWRITER_FOUND)
    target_link_libraries(vetrinova_core PUBLIC PkgConfig::XLSXWRITER)
    target_compile_definitions(vetrinova_core PUBLIC VETRINOVA_XLSX=1)
else()
    message(STATUS "libxlsxwriter not found (package libxlsxwriter-dev): the export to Magazzino.xlsx is left out")
endif()
