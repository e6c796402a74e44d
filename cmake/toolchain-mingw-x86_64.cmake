# Cross-build for 64-bit Windows with Debian's MinGW-w64; the tests run
# under wine64, in the Wine prefix set to 144 DPI. The -posix compilers give
# GoogleTest its std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh --dpi 144)
