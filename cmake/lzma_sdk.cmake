# The LZMA SDK encoder, compiled from the C sources that Debian's lzma-dev
# ships beside its headers. That package has no threaded match finder, so
# the encoder is built single-threaded (_7ZIP_ST).
find_path(LZMA_SDK_DIR LzmaEnc.c PATHS /usr/include/lzma NO_DEFAULT_PATH REQUIRED)
add_library(lzma_sdk STATIC ${LZMA_SDK_DIR}/LzmaEnc.c ${LZMA_SDK_DIR}/LzFind.c)
target_include_directories(lzma_sdk SYSTEM PUBLIC ${LZMA_SDK_DIR})
target_compile_definitions(lzma_sdk PUBLIC _7ZIP_ST)
target_compile_options(lzma_sdk PRIVATE -w)
