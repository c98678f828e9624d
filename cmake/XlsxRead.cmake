# Importing .xlsx workbooks reads them as ZIP (libzip) plus XML (Qt). QuaZip would do the same, but it
# exports its own copy of minizip's functions, which then replace those libxlsxwriter calls through
# libminizip and break the export to Magazzino.xlsx; libzip's names clash with nothing. libzip is
# required anyway by the safety copies (found in the top-level CMakeLists.txt), so the import always
# has it.
target_compile_definitions(vetrinova_core PUBLIC VETRINOVA_XLSX_READ=1)
