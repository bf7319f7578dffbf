# The Windows build (cmake/mingw-w64-x86_64.cmake).
#
# Every program and the plug-in file carry the C++ runtime, libgcc and
# winpthread inside them, so they need no DLL but the system's.
# The files are reproducible: the same commit built in any folder gives the
# same bytes, with no time stamp in the PE header and no build folder in the
# file (compiler paths are mapped to fixed names).
set(ZLIB_USE_STATIC_LIBS ON)  # libz.a; the import library would need zlib1.dll
add_link_options(-static -Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=src
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build
                    -ffile-prefix-map=${QK_SOURCE_CACHE}=sources)

# Tests and programs run under wine64, in a wine prefix of the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wine
    ${CMAKE_SOURCE_DIR}/scripts/wine.sh)
