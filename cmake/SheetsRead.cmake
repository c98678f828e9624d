# Importing Excel 97-2003 workbooks (.xls) goes through FreeXL (package libfreexl-dev), a library made
# for reading them; OpenDocument spreadsheets are ZIP (libzip, found for the safety copies) plus XML.
pkg_check_modules(FREEXL REQUIRED IMPORTED_TARGET freexl)
target_link_libraries(vetrinova_core PRIVATE PkgConfig::FREEXL)
