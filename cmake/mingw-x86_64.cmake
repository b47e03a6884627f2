# Cross toolchain for the 64-bit Windows build (FAR 3 plug-in for 64-bit FAR): mingw-w64 x86_64,
# tests run under 64-bit Wine (wine64) through cmake/wine-run.sh.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELMORA_MINGW_PACKAGE g++-mingw-w64-x86-64)
set(VELMORA_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
