# minizip, the zip writer and reader of zlib's contributions, as the target
# `minizip` (which links zlib after itself). On Linux it is Debian's
# libminizip-dev. The cross root has no minizip, so for Windows zip.c,
# unzip.c and ioapi.c are compiled from contrib/minizip of Debian's zlib
# source package (scripts/fetch_source.sh zlib).
if(WIN32)
  qk_source_package(QK_ZLIB_SOURCE zlib)
  set(minizip_dir ${QK_ZLIB_SOURCE}/contrib/minizip)
  add_library(minizip STATIC ${minizip_dir}/zip.c ${minizip_dir}/unzip.c ${minizip_dir}/ioapi.c)
  # <minizip/zip.h> and <minizip/unzip.h>, as with the Linux package.
  target_include_directories(minizip SYSTEM PUBLIC ${QK_ZLIB_SOURCE}/contrib)
  target_compile_options(minizip PRIVATE -w)
  target_link_libraries(minizip PUBLIC ZLIB::ZLIB)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  add_library(minizip INTERFACE)
  target_link_libraries(minizip INTERFACE PkgConfig::MINIZIP ZLIB::ZLIB)
endif()
