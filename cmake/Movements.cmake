# The journal of stock movements, Movimenti.db, is an SQLite database (package libsqlite3-dev). Only
# storage/Movements.cpp includes sqlite3.h, so the library is private to the core.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
target_link_libraries(vetrinova_core PRIVATE PkgConfig::SQLITE3)
