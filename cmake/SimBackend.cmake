find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
target_link_libraries(zx_platform PUBLIC Threads::Threads)
# The headless user interface: PNG pictures (libpng, zlib) and text with real
# fonts (FreeType).
pkg_check_modules(ZX_SIM_UI REQUIRED IMPORTED_TARGET libpng freetype2 zlib)
target_link_libraries(zx_platform PUBLIC PkgConfig::ZX_SIM_UI)
