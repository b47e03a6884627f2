# Cross toolchain for the 32-bit Windows builds (FAR Manager 1.7x plug-in and velmora.exe; FAR 3
# plug-in for 32-bit FAR): mingw-w64 i686, tests run under Wine through cmake/wine-run.sh.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_MINGW_TRIPLE i686-w64-mingw32)
set(VELMORA_MINGW_PACKAGE g++-mingw-w64-i686)
set(VELMORA_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
