# The Debian packages the program links (deps/debian-packages.txt installs them).
# Only src/tolm/platform/ includes their headers; everything else sees our own interfaces.

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(OPENJPEG REQUIRED IMPORTED_TARGET libopenjp2)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(TREMOR REQUIRED IMPORTED_TARGET vorbisidec)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
# A crash takes the game's window off the screen through a desktop connection of its own.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
# The map-file generator reads the program's symbols and line tables; the program itself does not link it.
pkg_check_modules(LIBDW REQUIRED IMPORTED_TARGET libdw)

# The demangler that needs no heap, for names in a crash report (libiberty ships only a static library).
find_library(LIBIBERTY iberty REQUIRED)

add_library(quendara_dependencies INTERFACE)
target_link_libraries(quendara_dependencies INTERFACE
    PkgConfig::SDL2 PkgConfig::FREETYPE PkgConfig::FONTCONFIG PkgConfig::PNG PkgConfig::JPEG
    PkgConfig::OPENJPEG PkgConfig::ZLIB PkgConfig::TREMOR PkgConfig::OPENMPT PkgConfig::MPG123
    PkgConfig::TINYXML PkgConfig::X11 ${LIBIBERTY} Threads::Threads ${CMAKE_DL_LIBS})
