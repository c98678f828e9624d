# The program as a desktop sees it: its menu entry and metainfo as the validators read them, and the
# package unpacked and started elsewhere. Each skips, saying why, where its tool is missing.
add_test(NAME desktop_entry
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/desktop_entry.sh
        ${CMAKE_SOURCE_DIR}/resources/desktop/vetrinova.desktop ${VETRINOVA_DIR}/icone/it.vetrinova.Vetrinova.metainfo.xml)
set_tests_properties(desktop_entry PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)

add_test(NAME package_roundtrip
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_roundtrip.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(package_roundtrip PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 ENVIRONMENT "LC_ALL=${TEST_LOCALE}")
