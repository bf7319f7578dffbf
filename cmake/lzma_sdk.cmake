# The LZMA SDK: the encoder with its threaded match finder and the CRC-32
# routines, compiled from the C/ folder of Debian's 7zip source package,
# which scripts/setup.sh unpacks into the source cache (see
# scripts/fetch_source.sh). The SDK picks its own thread layer (Win32 or
# POSIX threads); it is built with the flags of its own makefiles and
# without warnings, which are ours to enforce on our code only.
if(DEFINED ENV{QK_SOURCE_CACHE})
  set(QK_SOURCE_CACHE "$ENV{QK_SOURCE_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(QK_SOURCE_CACHE "$ENV{XDG_CACHE_HOME}/qk_revkeeper/sources")
else()
  set(QK_SOURCE_CACHE "$ENV{HOME}/.cache/qk_revkeeper/sources")
endif()
set(LZMA_SDK_DIR "${QK_SOURCE_CACHE}/7zip/C")
if(NOT EXISTS "${LZMA_SDK_DIR}/LzmaEnc.c")
  message(FATAL_ERROR "The LZMA SDK sources are not in ${LZMA_SDK_DIR}: run scripts/setup.sh, "
                      "which fetches Debian's 7zip source package into the source cache.")
endif()

set(LZMA_SDK_SOURCES LzmaEnc.c LzFind.c LzFindMt.c LzFindOpt.c Threads.c CpuArch.c
                     7zCrc.c 7zCrcOpt.c)
list(TRANSFORM LZMA_SDK_SOURCES PREPEND "${LZMA_SDK_DIR}/")
add_library(lzma_sdk STATIC ${LZMA_SDK_SOURCES})
target_include_directories(lzma_sdk SYSTEM PUBLIC ${LZMA_SDK_DIR})
# As C/7zip_gcc_c.mak compiles every file, on every system.
target_compile_definitions(lzma_sdk PRIVATE NDEBUG _REENTRANT _FILE_OFFSET_BITS=64 _LARGEFILE_SOURCE)
target_compile_options(lzma_sdk PRIVATE -O2 -w)
find_package(Threads REQUIRED)
target_link_libraries(lzma_sdk PUBLIC Threads::Threads)
