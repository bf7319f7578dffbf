# Cross-compiling for 64-bit Windows with Debian's mingw-w64, in its posix
# thread model (the C++ runtime's threads over winpthread).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QK_MINGW_TRIPLET}-windres)

# Headers and libraries come from the cross root only; programs run here.
# Folders outside the cross root (the source cache) are searched with
# NO_CMAKE_FIND_ROOT_PATH where they are looked up.
set(CMAKE_FIND_ROOT_PATH /usr/${QK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
