# The password store in the program folder, holding the first-access password. It runs on every
# build but writes only when the store is missing, so a password the user changed stays.
add_custom_target(password_store ALL
    COMMAND make-password-store ${VETRINOVA_DIR}/unins000.dll
    DEPENDS make-password-store
    COMMENT "Checking the password store in the program folder"
    VERBATIM)
add_dependencies(password_store Vetrinova)
