# The LZMA SDK: the encoder with its threaded match finder, the 7z reader
# with the decoders it calls, the CRC-32 routines and SHA-256 (with its
# SHA-extension code path), compiled from the C/ folder of Debian's 7zip
# source package, which scripts/setup.sh unpacks into the source cache
# (see scripts/fetch_source.sh). The SDK picks its own thread layer (Win32
# or POSIX threads); it is built with the flags of its own makefiles and
# without warnings, which are ours to enforce on our code only.
qk_source_package(QK_7ZIP_SOURCE 7zip)  # cmake/source_cache.cmake
set(LZMA_SDK_DIR "${QK_7ZIP_SOURCE}/C")

set(LZMA_SDK_SOURCES LzmaEnc.c LzFind.c LzFindMt.c LzFindOpt.c Threads.c CpuArch.c
                     7zCrc.c 7zCrcOpt.c Sha256.c Sha256Opt.c
                     7zArcIn.c 7zDec.c 7zBuf.c 7zStream.c LzmaDec.c Lzma2Dec.c
                     Bcj2.c Bra.c Bra86.c BraIA64.c Delta.c)
list(TRANSFORM LZMA_SDK_SOURCES PREPEND "${LZMA_SDK_DIR}/")
add_library(lzma_sdk STATIC ${LZMA_SDK_SOURCES})
target_include_directories(lzma_sdk SYSTEM PUBLIC ${LZMA_SDK_DIR})
# As C/7zip_gcc_c.mak compiles every file, on every system.
target_compile_definitions(lzma_sdk PRIVATE NDEBUG _REENTRANT _FILE_OFFSET_BITS=64 _LARGEFILE_SOURCE)
target_compile_options(lzma_sdk PRIVATE -O2 -w)
# The decoder's match copy and literal loops run about a fifth faster at
# -O3 (measured on 2 GiB of zeros); it is what opening a 7z backup spends
# its time in.
set_source_files_properties("${LZMA_SDK_DIR}/LzmaDec.c" PROPERTIES COMPILE_OPTIONS -O3)
find_package(Threads REQUIRED)
target_link_libraries(lzma_sdk PUBLIC Threads::Threads)
